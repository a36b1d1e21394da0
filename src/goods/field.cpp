#include "engine.h"

#include "datetimetext.h"

#include <optional>

// Field access on the current record, and the conversions between the program's
// values (QString, qint64, bool, QDateTime) and what the file stores (text,
// integers 0/1 for booleans, "yyyy-MM-dd HH:mm:ss.zzz" for moments).

namespace {

// Reads "yyyy-MM-dd HH:mm:ss.zzz" (also without milliseconds or time) by hand:
// Qt's format parser would dominate the reading of a record.
bool StorageToDateTime(const QString& t, QDateTime& out) {
    auto num = [&](qsizetype from, qsizetype len, int& v) {
        v = 0;
        for (qsizetype i = from; i < from + len; ++i) {
            const char16_t c = t[i].unicode();
            if (c < '0' || c > '9') return false;
            v = v * 10 + (c - '0');
        }
        return true;
    };
    const qsizetype n = t.size();
    if (n != 10 && n != 19 && n != 23) return false;
    int y, mo, d, h = 0, mi = 0, s = 0, ms = 0;
    if (!num(0, 4, y) || t[4] != u'-' || !num(5, 2, mo) || t[7] != u'-' || !num(8, 2, d)) return false;
    if (n >= 19 && (t[10] != u' ' || !num(11, 2, h) || t[13] != u':' || !num(14, 2, mi) || t[16] != u':' || !num(17, 2, s)))
        return false;
    if (n == 23 && (t[19] != u'.' || !num(20, 3, ms))) return false;
    const QDate date(y, mo, d);
    const QTime time(h, mi, s, ms);
    if (!date.isValid() || !time.isValid()) return false;
    out = QDateTime(date, time);
    return true;
}

std::optional<bool> ParseBool(const QString& text) {
    const QString t = text.trimmed();
    for (const char* s : {"true", "t", "1", "yes", "tak"})
        if (t.compare(QLatin1String(s), Qt::CaseInsensitive) == 0) return true;
    for (const char* s : {"false", "f", "0", "no", "nie"})
        if (t.compare(QLatin1String(s), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

}  // namespace

QString DateTimeToStorage(const QDateTime& moment) {
    if (!moment.isValid()) return QString();
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

const QString& TField::FieldName() const { return Table->Defs.at(Index).Name; }
TFieldType TField::DataType() const { return Table->Defs.at(Index).Type; }
int TField::Size() const { return Table->Defs.at(Index).Size; }
bool TField::Required() const { return Table->Defs.at(Index).Required; }

QVariant TField::Value() const {
    if (Row) return Row->at(static_cast<size_t>(Index));
    Table->CheckActive();
    if (Table->IsCalculated(Index))
        Table->EnsureCalculated();
    else
        Table->EnsureLoaded();
    return Table->Buffer.at(Index);
}

bool TField::IsNull() const { return Value().isNull(); }

QString TField::AsString() const { return Table->DisplayText(Index, Value()); }

qint64 TField::AsInteger() const {
    const QVariant v = Value();
    if (v.isNull()) return 0;
    switch (DataType()) {
    case TFieldType::Integer: return v.toLongLong();
    case TFieldType::Boolean: return v.toBool() ? 1 : 0;
    case TFieldType::String: {
        bool ok = false;
        const qint64 n = v.toString().trimmed().toLongLong(&ok);
        if (!ok) throw TEngineError(QStringLiteral("'%1' nie jest poprawną liczbą całkowitą.").arg(v.toString()));
        return n;
    }
    case TFieldType::DateTime: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie jest liczbą.").arg(FieldName()));
}

bool TField::AsBoolean() const {
    const QVariant v = Value();
    if (v.isNull()) return false;
    switch (DataType()) {
    case TFieldType::Boolean: return v.toBool();
    case TFieldType::Integer: return v.toLongLong() != 0;
    case TFieldType::String:
        if (auto b = ParseBool(v.toString())) return *b;
        throw TEngineError(QStringLiteral("'%1' nie jest poprawną wartością logiczną.").arg(v.toString()));
    case TFieldType::DateTime: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie jest polem logicznym.").arg(FieldName()));
}

QDateTime TField::AsDateTime() const {
    const QVariant v = Value();
    if (v.isNull()) return QDateTime();
    switch (DataType()) {
    case TFieldType::DateTime: return v.toDateTime();
    case TFieldType::String: {
        QDateTime m;
        if (TextToDateTime(v.toString(), m)) return m;
        throw TEngineError(QStringLiteral("'%1' nie jest poprawną datą i godziną.").arg(v.toString()));
    }
    default: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie jest datą.").arg(FieldName()));
}

void TField::SetAsString(const QString& value) {
    if (value.isEmpty()) {
        Clear();
        return;
    }
    switch (DataType()) {
    case TFieldType::String: Table->SetValue(Index, Size() > 0 ? value.left(Size()) : value); return;
    case TFieldType::Integer: {
        bool ok = false;
        const qint64 n = value.trimmed().toLongLong(&ok);
        if (!ok) throw TEngineError(QStringLiteral("'%1' nie jest poprawną liczbą całkowitą.").arg(value));
        Table->SetValue(Index, n);
        return;
    }
    case TFieldType::Boolean: {
        const auto b = ParseBool(value);
        if (!b) throw TEngineError(QStringLiteral("'%1' nie jest poprawną wartością logiczną.").arg(value));
        Table->SetValue(Index, *b);
        return;
    }
    case TFieldType::DateTime: {
        QDateTime m;
        if (!TextToDateTime(value, m)) throw TEngineError(QStringLiteral("'%1' nie jest poprawną datą i godziną.").arg(value));
        Table->SetValue(Index, m);
        return;
    }
    }
}

void TField::SetAsInteger(qint64 value) {
    switch (DataType()) {
    case TFieldType::String: SetAsString(QString::number(value)); return;
    case TFieldType::Integer: Table->SetValue(Index, value); return;
    case TFieldType::Boolean: Table->SetValue(Index, value != 0); return;
    case TFieldType::DateTime: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie przyjmuje liczby.").arg(FieldName()));
}

void TField::SetAsBoolean(bool value) {
    switch (DataType()) {
    case TFieldType::Boolean: Table->SetValue(Index, value); return;
    case TFieldType::Integer: Table->SetValue(Index, qint64(value ? 1 : 0)); return;
    case TFieldType::String: SetAsString(value ? QStringLiteral("True") : QStringLiteral("False")); return;
    case TFieldType::DateTime: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie przyjmuje wartości logicznej.").arg(FieldName()));
}

void TField::SetAsDateTime(const QDateTime& value) {
    if (!value.isValid()) {
        Clear();
        return;
    }
    switch (DataType()) {
    case TFieldType::DateTime: Table->SetValue(Index, value); return;
    case TFieldType::String: SetAsString(DateTimeToText(value)); return;
    default: break;
    }
    throw TEngineError(QStringLiteral("Pole %1 nie przyjmuje daty.").arg(FieldName()));
}

void TField::Clear() { Table->SetValue(Index, QVariant()); }

// ---------------------------------------------------------------------------
// Stored form

QVariant TTable::FromStorage(int field, const QVariant& stored) const {
    if (stored.isNull()) return QVariant();
    switch (Defs[field].Type) {
    case TFieldType::String: return stored.toString();
    case TFieldType::Integer: {
        bool ok = false;
        const qint64 n = stored.toLongLong(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    case TFieldType::Boolean: return stored.toLongLong() != 0;
    case TFieldType::DateTime: {
        QDateTime m;
        if (!StorageToDateTime(stored.toString(), m)) return QVariant();
        return m;
    }
    }
    return QVariant();
}

QVariant TTable::ToStorage(int field, const QVariant& value) const {
    if (value.isNull()) return QVariant();
    switch (Defs[field].Type) {
    case TFieldType::String: {
        const QString s = value.toString();
        return Defs[field].Size > 0 ? s.left(Defs[field].Size) : s;
    }
    case TFieldType::Integer: return value.toLongLong();
    case TFieldType::Boolean: return qint64(value.toBool() ? 1 : 0);
    case TFieldType::DateTime: return DateTimeToStorage(value.toDateTime());
    }
    return QVariant();
}

QString TTable::DisplayText(int field, const QVariant& value) const {
    if (value.isNull()) return QString();
    switch (Defs.at(field).Type) {
    case TFieldType::String: return value.toString();
    case TFieldType::Integer: return QString::number(value.toLongLong());
    case TFieldType::Boolean: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case TFieldType::DateTime: return DateTimeToText(value.toDateTime());
    }
    return QString();
}
