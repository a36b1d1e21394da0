#include "engine.h"
#include "filterexpr.h"
#include "silentfailure.h"
#include "sqliteconnection.h"

#include <QTemporaryFile>
#include <algorithm>
#include <limits>

// Writing every record of a large table in the order of its index: walking the
// index, SQLite would look each row up by a seek of its own, the most of the
// work. The rows are read in the file's order instead, their bytes spooled,
// and the index walked alone (it holds the row ids) to send them out.

std::pair<const TSqliteStatement*, int> TRowReader::Column(int field) const {
    if (field < Stored) return {&St, 1 + field};
    if (Calculated) return {Calculated, field - Stored};
    return {nullptr, 0};
}

bool TRowReader::IsNull(int field) const {
    const auto [st, column] = Column(field);
    return !st || st->IsNull(column);
}

QVariant TRowReader::Value(int field) const {
    const auto [st, column] = Column(field);
    return st ? Table.FromStorage(field, st->Value(column)) : QVariant();
}

std::optional<qint64> TRowReader::Integer(int field) const {
    const auto [st, column] = Column(field);
    if (!st || !st->IsInteger(column)) return std::nullopt;
    return st->Int64(column);
}

std::optional<QByteArrayView> TRowReader::Utf8(int field) const {
    const auto [st, column] = Column(field);
    if (!st || !st->IsText(column)) return std::nullopt;
    const QUtf8StringView text = st->Utf8View(column);
    return QByteArrayView(text.data(), text.size());
}

namespace {

// Pieces of output go out at about this size.
constexpr qsizetype kPiece = 1 << 20;

// The spooled records: their bytes in a temporary file, one after another in
// row id order, and where each ends.
struct TSpool {
    QTemporaryFile File;
    QByteArray Pending;
    std::vector<qint64> Rows;
    std::vector<quint64> Ends;
    quint64 Size = 0;

    void Open() {
        if (!File.open()) throw TEngineError(QStringLiteral("Nie można utworzyć pliku tymczasowego: %1").arg(File.errorString()));
    }
    void Flush() {
        if (Pending.isEmpty()) return;
        if (File.write(Pending) != Pending.size())
            throw TEngineError(QStringLiteral("Nie można zapisać pliku tymczasowego: %1").arg(File.errorString()));
        Pending.clear();
    }
    void Restart() {
        Pending.clear();
        Rows.clear();
        Ends.clear();
        Size = 0;
        if (!File.resize(0) || !File.seek(0)) throw TEngineError(File.errorString());
    }
};

// The position of a row id among the spooled rows (ascending): a direct table
// when the ids lie close together, a binary search otherwise.
class TRowIndex {
public:
    explicit TRowIndex(const std::vector<qint64>& rows) : Rows(rows) {
        if (rows.empty()) return;
        const quint64 span = static_cast<quint64>(rows.back()) - static_cast<quint64>(rows.front());
        if (span >= 4 * static_cast<quint64>(rows.size()) + 65536 || rows.size() >= std::numeric_limits<qint32>::max()) return;
        Base = rows.front();
        Direct.assign(static_cast<size_t>(span) + 1, -1);
        for (size_t i = 0; i < rows.size(); ++i) Direct[static_cast<size_t>(rows[i] - Base)] = static_cast<qint32>(i);
    }
    // -1 when the row was not spooled.
    qint64 Find(qint64 row) const {
        if (Direct.empty()) {
            const auto at = std::lower_bound(Rows.begin(), Rows.end(), row);
            return at != Rows.end() && *at == row ? at - Rows.begin() : -1;
        }
        const quint64 o = static_cast<quint64>(row) - static_cast<quint64>(Base);
        return row >= Base && o < Direct.size() ? Direct[o] : -1;
    }

private:
    const std::vector<qint64>& Rows;
    qint64 Base = 0;
    std::vector<qint32> Direct;
};

}  // namespace

void TTable::WriteRecords(const std::function<void(const TRowReader&, QByteArray&)>& format,
                          const std::function<void(const QByteArray&)>& write) const {
    CheckActive();
    const int stored = FieldCount();
    const int all = static_cast<int>(Defs.size());
    const QString where = FilterSql.isEmpty() ? QString() : QStringLiteral(" WHERE ") + FilterSql;
    TReadTransaction read(*Conn);
    TSpool spool;
    spool.Open();
    const auto select = [&](int first, int count, const QString& rest) {
        QStringList cols;
        if (first == 0) cols << QStringLiteral("rowid");
        for (int i = first; i < first + count; ++i) cols << ColumnSql(i);
        return std::make_unique<TSqliteStatement>(
            Conn->Handle, QStringLiteral("SELECT %1 FROM %2").arg(cols.join(u','), QuoteName(SqlTable)) + rest);
    };
    const auto fill = [&](bool calculated) {
        // With a gate the calculated fields are worked out by a statement of
        // their own, only for the records it lets through.
        TRowTest test;
        if (calculated && CalculatedGate) {
            try {
                test = CalculatedGate(*Conn, *this);
            } catch (const TEngineError& e) {
                SilentFailure(lcGoods, QStringLiteral("the calculated fields of %1 are worked out for every record").arg(FileName), e);
            }
        }
        const int inWalk = calculated && !test ? all : stored;
        const auto st = select(0, inWalk, where + QStringLiteral(" ORDER BY rowid"));
        BindFilter(*st, 1);
        std::unique_ptr<TSqliteStatement> worked;
        if (test) worked = select(stored, all - stored, QStringLiteral(" WHERE rowid = ?"));
        TRowReader row(*this, *st, inWalk);
        while (st->Step()) {
            const qint64 rowId = st->Int64(0);
            bool through = false;
            if (test && test(row)) {
                worked->Bind(1, rowId);
                through = worked->Step();
            }
            row.SetCalculated(through ? worked.get() : nullptr);
            spool.Rows.push_back(rowId);
            const qsizetype before = spool.Pending.size();
            format(row, spool.Pending);
            if (through) worked->Reset();
            spool.Size += static_cast<quint64>(spool.Pending.size() - before);
            spool.Ends.push_back(spool.Size);
            if (spool.Pending.size() >= kPiece) spool.Flush();
        }
        spool.Flush();
    };
    try {
        fill(all > stored);
    } catch (const TEngineError& e) {
        if (all == stored) throw;
        // As in ReadRow: calculated fields that cannot be worked out read as null.
        SilentFailure(lcGoods, QStringLiteral("the calculated fields of %1 read as null").arg(FileName), e);
        spool.Restart();
        fill(false);
    }
    if (spool.Size == 0) return;
    if (!spool.File.flush()) throw TEngineError(QStringLiteral("Nie można zapisać pliku tymczasowego: %1").arg(spool.File.errorString()));
    uchar* bytes = spool.File.map(0, static_cast<qint64>(spool.Size));
    if (!bytes) throw TEngineError(QStringLiteral("Nie można odczytać pliku tymczasowego: %1").arg(spool.File.errorString()));
    QByteArray out;
    out.reserve(kPiece + 4096);
    const auto send = [&](qint64 i) {
        const quint64 begin = i == 0 ? 0 : spool.Ends[static_cast<size_t>(i - 1)];
        out.append(reinterpret_cast<const char*>(bytes) + begin, static_cast<qsizetype>(spool.Ends[static_cast<size_t>(i)] - begin));
        if (out.size() >= kPiece) {
            write(out);
            out.clear();
        }
    };
    if (OrderField < 0) {
        for (qint64 i = 0; i < static_cast<qint64>(spool.Rows.size()); ++i) send(i);
    } else {
        // The order index alone gives the row ids in order; rows outside the
        // filter were not spooled and are passed over.
        const TRowIndex index(spool.Rows);
        TSqliteStatement st(Conn->Handle, QStringLiteral("SELECT rowid FROM %1").arg(QuoteName(SqlTable)) + OrderBy());
        while (st.Step())
            if (const qint64 i = index.Find(st.Int64(0)); i >= 0) send(i);
    }
    if (!out.isEmpty()) write(out);
}
