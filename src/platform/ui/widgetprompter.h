#pragma once
#include "prompter.h"

class QWidget;

// The Prompter of the running program: message boxes with Polish buttons,
// Qt's file dialogs and the program's own dialogs, all modal to `parent`.
class TWidgetPrompter : public Prompter {
public:
    explicit TWidgetPrompter(QWidget* parent = nullptr) : Parent(parent) {}
    // The window the dialogs are modal to.
    void SetDialogParent(QWidget* parent) { Parent = parent; }

    void error(const QString& text) override;
    void info(const QString& text) override;
    void warning(const QString& text) override;
    bool confirmOkCancel(const QString& text) override;
    bool confirmYesNo(const QString& text) override;
    QString openFile(const QString& caption, const QString& folder, const QString& filter) override;
    QString saveFile(const QString& caption, const QString& path, const QString& filter) override;
    QString chooseFolder(const QString& caption, const QString& folder) override;
    std::optional<QString> askText(const QString& caption, const QString& label, const QString& initial) override;
    int runDialog(QObject& dialog) override;

private:
    QWidget* Parent;
};
