#include "prompter.h"

#include <QObject>

namespace {
TScriptedPrompter gFallback;
Prompter* gCurrent = nullptr;
}  // namespace

Prompter& Prompter::current() { return gCurrent ? *gCurrent : gFallback; }
void Prompter::install(Prompter* prompter) { gCurrent = prompter; }

void TScriptedPrompter::error(const QString& text) { Calls.push_back({Kind::Error, text, {}}); }
void TScriptedPrompter::info(const QString& text) { Calls.push_back({Kind::Info, text, {}}); }
void TScriptedPrompter::warning(const QString& text) { Calls.push_back({Kind::Warning, text, {}}); }

bool TScriptedPrompter::NextConfirm() {
    if (Confirms.empty()) return defaultConfirm;
    const bool v = Confirms.front();
    Confirms.pop_front();
    return v;
}

QString TScriptedPrompter::NextPath() {
    if (Paths.empty()) return {};
    QString v = Paths.front();
    Paths.pop_front();
    return v;
}

bool TScriptedPrompter::confirmOkCancel(const QString& text) {
    Calls.push_back({Kind::OkCancel, text, {}});
    return NextConfirm();
}

bool TScriptedPrompter::confirmYesNo(const QString& text) {
    Calls.push_back({Kind::YesNo, text, {}});
    return NextConfirm();
}

QString TScriptedPrompter::openFile(const QString& caption, const QString& folder, const QString&) {
    Calls.push_back({Kind::OpenFile, caption, folder});
    return NextPath();
}

QString TScriptedPrompter::saveFile(const QString& caption, const QString& path, const QString&) {
    Calls.push_back({Kind::SaveFile, caption, path});
    return NextPath();
}

QString TScriptedPrompter::chooseFolder(const QString& caption, const QString& folder) {
    Calls.push_back({Kind::Folder, caption, folder});
    return NextPath();
}

std::optional<QString> TScriptedPrompter::askText(const QString& caption, const QString& label, const QString&) {
    Calls.push_back({Kind::Text, caption, label});
    std::optional<QString> v;
    if (!Texts.empty()) {
        v.swap(Texts.front());
        Texts.pop_front();
    }
    return v;
}

int TScriptedPrompter::runDialog(QObject& dialog) {
    Calls.push_back({Kind::Dialog, dialog.objectName(), {}});
    if (Dialogs.empty()) return 0;
    DialogScript script = std::move(Dialogs.front());
    Dialogs.pop_front();
    return script(dialog);
}

QStringList TScriptedPrompter::messages() const {
    QStringList out;
    for (const Call& c : Calls)
        if (c.kind == Kind::Error || c.kind == Kind::Info || c.kind == Kind::Warning || c.kind == Kind::OkCancel ||
            c.kind == Kind::YesNo)
            out << c.text;
    return out;
}

QStringList TScriptedPrompter::messages(Kind kind) const {
    QStringList out;
    for (const Call& c : Calls)
        if (c.kind == kind) out << c.text;
    return out;
}
