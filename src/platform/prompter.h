#pragma once
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

class QObject;

// Every question and message to the user, and every file, folder, text and
// program dialog, goes through one Prompter, so that each command can run
// without a person: the program installs the real one, tests a scripted one.
class Prompter {
public:
    virtual ~Prompter() = default;

    virtual void error(const QString& text) = 0;    // error icon, OK
    virtual void info(const QString& text) = 0;     // information icon, OK
    virtual void warning(const QString& text) = 0;  // warning icon, OK
    virtual bool confirmOkCancel(const QString& text) = 0;  // true for OK
    virtual bool confirmYesNo(const QString& text) = 0;     // true for Yes

    // File and folder dialogs; an empty string means the user cancelled.
    virtual QString openFile(const QString& caption, const QString& folder, const QString& filter) = 0;
    virtual QString saveFile(const QString& caption, const QString& path, const QString& filter) = 0;
    virtual QString chooseFolder(const QString& caption, const QString& folder) = 0;
    // A line of text; nullopt when cancelled.
    virtual std::optional<QString> askText(const QString& caption, const QString& label, const QString& initial) = 0;
    // Runs one of the program's own modal dialogs (a QDialog); returns its
    // result code (QDialog::Accepted or QDialog::Rejected).
    virtual int runDialog(QObject& dialog) = 0;

    // The program's Prompter; a scripted one in tests.
    static Prompter& current();
    static void install(Prompter* prompter);
};

// Records every call and answers from queues, for tests and for the headless
// companion (which answers every question in the way it is configured).
class TScriptedPrompter : public Prompter {
public:
    enum class Kind { Error, Info, Warning, OkCancel, YesNo, OpenFile, SaveFile, Folder, Text, Dialog };
    struct Call {
        Kind kind;
        QString text;     // message, caption or dialog object name
        QString detail;   // folder, path, label
    };
    using DialogScript = std::function<int(QObject&)>;

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

    // Queued answers, taken in order. Without a queued answer a question is
    // answered with `defaultConfirm`, a file or folder dialog and a text
    // dialog are cancelled, and a program dialog is rejected.
    void answer(bool yes) { Confirms.push_back(yes); }
    void answerPath(const QString& path) { Paths.push_back(path); }
    void answerText(std::optional<QString> text) { Texts.push_back(std::move(text)); }
    void answerDialog(DialogScript script) { Dialogs.push_back(std::move(script)); }
    bool defaultConfirm = false;

    const std::vector<Call>& calls() const { return Calls; }
    // Texts of the message boxes (error, info, warning, questions) in order.
    QStringList messages() const;
    QStringList messages(Kind kind) const;
    void clear() { Calls.clear(); }

private:
    bool NextConfirm();
    QString NextPath();
    std::vector<Call> Calls;
    std::deque<bool> Confirms;
    std::deque<QString> Paths;
    std::deque<std::optional<QString>> Texts;
    std::deque<DialogScript> Dialogs;
};
