#pragma once
#include "settings.h"

#include <QGroupBox>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The configuration page's group " Miejsce towarów ": whether the goods live
// in the file on this computer or on a PostgreSQL server shared by several
// workstations, the server's place and login, the shop and this
// workstation's name. It checks the connection and copies the local goods to
// the server with the values as they stand in its fields; the settings take
// them when the page is stored. A change of the kind takes effect at the
// program's next start, which the box says when the kind is chosen.
class TGoodsStoreBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TGoodsStoreBox(QWidget* parent = nullptr);

    // Shows the settings; their kind is the one in effect until the next start.
    void Fill(const TGoodsStoreSettings& settings);
    // The values as the fields hold them.
    TGoodsStoreSettings Values() const;

    // Handlers, public so that the program's events and tests reach them alike.
    // Tries the server, the database and the shop; says the outcome.
    void btnCheckClick();
    // After the question, copies the goods file of this computer into the
    // shop on the server under the progress window; says the counts or why
    // nothing was copied.
    void btnCopyClick();
    void KindClick();

    QRadioButton* rbLocal = nullptr;
    QRadioButton* rbServer = nullptr;
    QLineEdit* edHost = nullptr;
    QSpinBox* edPort = nullptr;
    QLineEdit* edDatabase = nullptr;
    QLineEdit* edUser = nullptr;
    QLineEdit* edPassword = nullptr;
    QLineEdit* edShop = nullptr;
    QLineEdit* edWorkstation = nullptr;
    QPushButton* btnCheck = nullptr;
    QPushButton* btnCopy = nullptr;

private:
    TGoodsStoreKind KindInEffect = TGoodsStoreKind::Local;
    TGoodsStoreKind KindShown = TGoodsStoreKind::Local;
};
