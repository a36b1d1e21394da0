#include "printers.h"

#include <cups/cups.h>

namespace {

struct Dests {
    cups_dest_t* list = nullptr;
    int count = 0;
    Dests() {
        // Tests and machines without a print system skip the query.
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

}  // namespace

QStringList InstalledPrinterNames() {
    QStringList names;
    const Dests dests;
    for (int i = 0; i < dests.count; ++i) names << DestName(dests.list[i]);
    names << kPdfPrinterName;
    return names;
}

QString DefaultPrinterName() {
    const Dests dests;
    for (int i = 0; i < dests.count; ++i)
        if (dests.list[i].is_default) return DestName(dests.list[i]);
    return dests.count > 0 ? DestName(dests.list[0]) : kPdfPrinterName;
}
