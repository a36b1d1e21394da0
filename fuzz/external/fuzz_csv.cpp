// The CSV reader over any bytes: the header, every row, with the separator
// found in the file and with one given, in each code page.
#include "csvtable.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TCsvOptions options[3];
    options[1].Separator = '|';
    options[1].CodePage = TCsvCodePage::Cp852;
    options[2].Separator = ',';
    options[2].CodePage = TCsvCodePage::Iso8859_2;
    for (const TCsvOptions& o : options) {
        QString error;
        const auto table = TCsvTable::FromBytes(bytes, QStringLiteral("fuzz.csv"), o, error);
        if (!table) continue;
        for (const QString& name : table->ColumnNames()) (void)table->ColumnOf(name);
        TExtPosition at;
        std::vector<QString> row;
        std::size_t total = 0;
        while (table->NextText(at, row)) {
            if (row.size() != table->Fields().size()) __builtin_trap();
            for (const QString& v : row) {
                total += static_cast<std::size_t>(v.size());
                (void)CsvNumber(v);
            }
        }
        // Every value comes from the file's bytes, quotes removed.
        if (total > size) __builtin_trap();
    }
    return 0;
}
