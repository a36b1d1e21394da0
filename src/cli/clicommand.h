#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>

class QImage;

// A command of the headless companion. Each command lives in its own file and
// registers itself with PRANDEL_CLI_COMMAND, so commands can be added without
// touching the dispatcher.
struct CliCommand {
    QString name;
    QString usage;  // one line for --help
    std::function<int(const QStringList& args)> run;
};

std::map<QString, CliCommand>& CliCommands();

struct CliRegistrar {
    CliRegistrar(const QString& name, const QString& usage, std::function<int(const QStringList&)> run);
};

#define PRANDEL_CLI_CONCAT2(a, b) a##b
#define PRANDEL_CLI_CONCAT(a, b) PRANDEL_CLI_CONCAT2(a, b)
#define PRANDEL_CLI_COMMAND(name, usage, fn) \
    static const CliRegistrar PRANDEL_CLI_CONCAT(cliRegistrar_, __LINE__)(QStringLiteral(name), QStringLiteral(usage), fn)

// Output in UTF-8, as shop scripts expect.
void CliOut(const QString& line);                  // a line on standard output
void CliError(const QString& message);             // a line on standard error
int CliFail(const QString& message, int code = 1);  // CliError, then the exit code
// The cause on a line of its own first (when there is one), then the message.
int CliFail(const QString& message, const QString& cause, int code = 1);

// Appends `value` as one field of a tab-separated line: a tab, CR, LF or NUL
// inside it is written as its escape ("\\t", ...), a backslash as two.
void CliAppendField(QString& line, const QString& value);

// Writes `image` as a PNG file, through the program's file writer (a new file
// renamed over the name; a link at the name is replaced, never followed).
bool CliSavePng(const QImage& image, const QString& path);

// Simple option parsing: "--name value" pairs and "--flag" switches.
class CliArgs {
public:
    explicit CliArgs(const QStringList& args) : Args(args) {}
    std::optional<QString> value(const QString& option) const;
    bool flag(const QString& option) const { return Args.contains(option); }
    // Positional arguments, after removing the named options with values.
    QStringList positional(const QStringList& optionsWithValues) const;
    // An integer option; nullopt when missing, `ok` false when not a number.
    std::optional<int> integer(const QString& option, bool* ok) const;

private:
    QStringList Args;
};
