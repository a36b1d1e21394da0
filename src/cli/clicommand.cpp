#include "clicommand.h"

#include "filewrite.h"

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cstdio>

std::map<QString, CliCommand>& CliCommands() {
    static std::map<QString, CliCommand> commands;
    return commands;
}

CliRegistrar::CliRegistrar(const QString& name, const QString& usage, std::function<int(const QStringList&)> run) {
    CliCommands()[name] = CliCommand{name, usage, std::move(run)};
}

void CliOut(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
}

void CliError(const QString& message) {
    const QByteArray bytes = message.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, bytes.size(), stderr);
}

int CliFail(const QString& message, int code) {
    CliError(message);
    return code;
}

int CliFail(const QString& message, const QString& cause, int code) {
    if (!cause.isEmpty()) CliError(cause);
    return CliFail(message, code);
}

// A value as one field of a tab-separated line: a tab, CR, LF or NUL inside it
// would break the line into other columns or rows, so each is written as its
// escape, and the backslash that starts one as two.
void CliAppendField(QString& line, const QString& value) {
    const auto special = [](QChar c) { return c == u'\\' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\0'; };
    if (std::none_of(value.begin(), value.end(), special)) {
        line += value;
        return;
    }
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\': line += QLatin1String("\\\\"); break;
        case u'\t': line += QLatin1String("\\t"); break;
        case u'\r': line += QLatin1String("\\r"); break;
        case u'\n': line += QLatin1String("\\n"); break;
        case u'\0': line += QLatin1String("\\0"); break;
        default: line += c;
        }
    }
}

bool CliSavePng(const QImage& image, const QString& path) {
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    return image.save(&png, "PNG") && ReplaceFile(path, png.data());
}

std::optional<QString> CliArgs::value(const QString& option) const {
    const qsizetype i = Args.indexOf(option);
    if (i < 0 || i + 1 >= Args.size()) return std::nullopt;
    return Args[i + 1];
}

QStringList CliArgs::positional(const QStringList& optionsWithValues) const {
    QStringList out;
    for (qsizetype i = 0; i < Args.size(); ++i) {
        if (optionsWithValues.contains(Args[i])) {
            ++i;
            continue;
        }
        if (Args[i].startsWith(QLatin1String("--"))) continue;
        out << Args[i];
    }
    return out;
}

std::optional<int> CliArgs::integer(const QString& option, bool* ok) const {
    *ok = true;
    const auto v = value(option);
    if (!v) return std::nullopt;
    const int n = v->toInt(ok);
    return n;
}
