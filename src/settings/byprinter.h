#pragma once
#include <QMap>
#include <QString>
#include <iterator>

// Values kept per printer, by printer name. Names match without regard to
// case, as the settings file's sections do; a printer without a value gives
// the type's default.
template <typename T>
class TByPrinter {
public:
    T Get(const QString& printer) const {
        if (const auto it = Map.find(printer); it != Map.end()) return *it;
        for (auto it = Map.begin(); it != Map.end(); ++it)
            if (it.key().compare(printer, Qt::CaseInsensitive) == 0) return *it;
        return T{};
    }
    void Set(const QString& printer, const T& value) {
        // One section per printer in the file: spellings that differ in case
        // would overwrite each other there.
        for (auto it = Map.begin(); it != Map.end();)
            it = it.key().compare(printer, Qt::CaseInsensitive) == 0 ? Map.erase(it) : std::next(it);
        Map.insert(printer, value);
    }
    // Whether the printer has a value of its own.
    bool Has(const QString& printer) const {
        for (auto it = Map.begin(); it != Map.end(); ++it)
            if (it.key().compare(printer, Qt::CaseInsensitive) == 0) return true;
        return false;
    }
    const QMap<QString, T>& All() const { return Map; }
    void Clear() { Map.clear(); }

private:
    QMap<QString, T> Map;
};

// What a printer prints on: pages of labels laid out as the sheet says, or a
// roll of labels, one label a page of exactly the label's size.
struct TPrinterPaper {
    bool Roll = false;
    // 0: the printer's own setting; 1-30: the driver's darkness.
    int Darkness = 0;
    bool operator==(const TPrinterPaper&) const = default;
};
