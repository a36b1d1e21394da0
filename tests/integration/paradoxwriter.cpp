#include "paradoxwriter.h"

#include "codepage.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
extern "C" {
#include <paradox.h>
}
#include <vector>

namespace {
constexpr long kDayOffset = 1721425;  // pxlib counts days like the Julian day number, less this
}

bool WriteParadoxTable(const QString& path, const std::vector<TPxTestField>& fields, const QList<QVariantList>& rows,
                       const QString& memoPath, QString& error) {
    PX_boot();
    pxdoc_t* doc = PX_new();
    if (!doc) {
        error = QStringLiteral("PX_new");
        return false;
    }
    auto* defs = static_cast<pxfield_t*>(doc->malloc(doc, fields.size() * sizeof(pxfield_t), "fields"));
    int recordSize = 0;
    std::vector<int> offsets;
    for (size_t i = 0; i < fields.size(); ++i) {
        defs[i].px_fname = PX_strdup(doc, fields[i].Name.constData());
        defs[i].px_ftype = fields[i].Type;
        defs[i].px_flen = fields[i].Type == pxfBCD ? 17 : fields[i].Length;
        defs[i].px_fdc = fields[i].Type == pxfBCD ? fields[i].Length : 0;
        offsets.push_back(recordSize);
        recordSize += defs[i].px_flen;
    }
    const QByteArray file = path.toLocal8Bit();
    if (PX_create_file(doc, defs, static_cast<int>(fields.size()), file.constData(), pxfFileTypNonIndexDB) < 0) {
        error = QStringLiteral("PX_create_file");
        PX_delete(doc);
        return false;
    }
    PX_set_value(doc, "codepage", 1250);
    const QByteArray memoFile = memoPath.toLocal8Bit();
    if (!memoPath.isEmpty() && PX_set_blob_file(doc, memoFile.constData()) < 0) {
        error = QStringLiteral("PX_set_blob_file");
        PX_close(doc);
        PX_delete(doc);
        return false;
    }
    std::vector<char> data(static_cast<size_t>(recordSize));
    for (const QVariantList& row : rows) {
        std::fill(data.begin(), data.end(), 0);
        for (size_t i = 0; i < fields.size() && static_cast<qsizetype>(i) < row.size(); ++i) {
            const QVariant& v = row[static_cast<qsizetype>(i)];
            if (v.isNull()) continue;
            char* p = data.data() + offsets[i];
            const int len = defs[i].px_flen;
            switch (fields[i].Type) {
            case pxfAlpha: {
                QByteArray b = ToWin1250(v.toString());
                PX_put_data_alpha(doc, p, len, b.data());
                break;
            }
            case pxfShort: PX_put_data_short(doc, p, len, static_cast<short>(v.toInt())); break;
            case pxfLong:
            case pxfAutoInc: PX_put_data_long(doc, p, len, v.toInt()); break;
            case pxfNumber:
            case pxfCurrency: PX_put_data_double(doc, p, len, v.toDouble()); break;
            case pxfLogical: PX_put_data_byte(doc, p, len, v.toBool() ? 1 : 0); break;
            case pxfDate: PX_put_data_long(doc, p, len, static_cast<int>(v.toDate().toJulianDay() - kDayOffset)); break;
            case pxfTime: PX_put_data_long(doc, p, len, v.toTime().msecsSinceStartOfDay()); break;
            case pxfTimestamp: {
                const QDateTime t = v.toDateTime();
                const double ms = static_cast<double>(t.date().toJulianDay() - kDayOffset) * 86400000.0 + t.time().msecsSinceStartOfDay();
                PX_put_data_double(doc, p, len, ms);
                break;
            }
            case pxfBCD: {
                QByteArray b = v.toByteArray();
                PX_put_data_bcd(doc, p, fields[i].Length, b.data());
                break;
            }
            case pxfMemoBLOb:
            case pxfFmtMemoBLOb: {
                QByteArray b = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : ToWin1250(v.toString());
                PX_put_data_blob(doc, p, len, b.data(), static_cast<int>(b.size()));
                break;
            }
            default: break;
            }
        }
        if (PX_put_record(doc, data.data()) < 0) {
            error = QStringLiteral("PX_put_record");
            PX_close(doc);
            PX_delete(doc);
            return false;
        }
    }
    PX_close(doc);
    PX_delete(doc);
    return true;
}
