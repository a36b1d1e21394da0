#pragma once
#include "helpcontexts.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// The administrator's login dialog.
class TLogForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = ::HelpContext::Login;
    explicit TLogForm(QWidget* parent = nullptr);
    QLineEdit* edUserName;
    QLineEdit* edPasswd;
    QPushButton* btnOk;
    QPushButton* btnCancel;
};

// The password change dialog: OK is enabled while both password boxes agree.
class TChPasswdForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = ::HelpContext::ChangePassword;
    explicit TChPasswdForm(QWidget* parent = nullptr);
    QLineEdit* Edit1;  // user name
    QLineEdit* Edit2;  // password
    QLineEdit* Edit3;  // confirmation
    QPushButton* btnOk;
    QPushButton* btnCancel;

private:
    void EditChange();
};
