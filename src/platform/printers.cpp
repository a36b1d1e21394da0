#include "printers.h"

#include <QRegularExpression>
#include <cups/cups.h>

namespace {

const QString kPdf = QStringLiteral("PDF");
const QString kPdfFile = QStringLiteral("Plik PDF");

std::optional<QStringList> gTestQueues;

struct Dests {
    cups_dest_t* list = nullptr;
    int count = 0;
    Dests() {
        // Machines without a print system skip the query.
        if (qEnvironmentVariableIsSet("PRANDEL_NO_CUPS")) return;
        count = cupsGetDests2(CUPS_HTTP_DEFAULT, &list);
    }
    ~Dests() { cupsFreeDests(count, list); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;
};

QString DestName(const cups_dest_t& d) {
    QString name = QString::fromUtf8(d.name);
    if (d.instance) name += u'/' + QString::fromUtf8(d.instance);
    return name;
}

// The print system's queues, the default one first.
QStringList Queues() {
    if (gTestQueues) return *gTestQueues;
    const Dests dests;
    QStringList names;
    for (int i = 0; i < dests.count; ++i) {
        const QString name = DestName(dests.list[i]);
        if (dests.list[i].is_default)
            names.prepend(name);
        else
            names << name;
    }
    return names;
}

QString VirtualName(const QStringList& queues) { return queues.contains(kPdf) ? kPdfFile : kPdf; }

}  // namespace

QString VirtualPdfPrinterName() { return VirtualName(Queues()); }

QStringList InstalledPrinterNames() {
    QStringList names = Queues();
    names << VirtualName(names);
    return names;
}

QString DefaultPrinterName() {
    const QStringList queues = Queues();
    return queues.isEmpty() ? VirtualName(queues) : queues.first();
}

std::optional<TPrintQueueInfo> PrintQueueInfo(const QString& name) {
    if (gTestQueues) return gTestQueues->contains(name) ? std::optional(TPrintQueueInfo()) : std::nullopt;
    const Dests dests;
    for (int i = 0; i < dests.count; ++i) {
        const cups_dest_t& d = dests.list[i];
        if (DestName(d) != name) continue;
        const auto option = [&](const char* key) {
            return QString::fromUtf8(cupsGetOption(key, d.num_options, d.options));
        };
        TPrintQueueInfo info;
        info.Paused = option("printer-state") == QLatin1String("5");
        info.Accepting = option("printer-is-accepting-jobs") != QLatin1String("false");
        info.MakeAndModel = option("printer-make-and-model");
        return info;
    }
    return std::nullopt;
}

bool LooksLikeLabelPrinter(const QString& name, const QString& makeAndModel) {
    static const QRegularExpression words(
        QStringLiteral("label|etykiet|zebra|zdesigner|dymo|p-?touch|rollo|godex|datamax|intermec|"
                       "(?<![a-z])(zpl|epl|tsc|sato)(?![a-z])|(?<![a-z])ql-?\\d"),
        QRegularExpression::CaseInsensitiveOption);
    return words.match(name).hasMatch() || words.match(makeAndModel).hasMatch();
}

void SetPrintQueuesForTests(std::optional<QStringList> queues) { gTestQueues = std::move(queues); }
