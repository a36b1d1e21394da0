#include "pgconnection.h"

#include "silentfailure.h"

#include <QDateTime>
#include <libpq-fe.h>
#include <exception>
#include <vector>

namespace {

// Type oids of the values that come back as numbers or booleans.
constexpr Oid kBoolOid = 16, kInt8Oid = 20, kInt2Oid = 21, kInt4Oid = 23, kOidOid = 26;

// libpq's keyword arrays: every value stays in these byte arrays only.
struct TKeywords {
    std::vector<QByteArray> Keys, Values;
    void Add(const char* key, const QString& value) {
        if (value.isEmpty()) return;
        Keys.emplace_back(key);
        Values.push_back(value.toUtf8());
    }
    std::vector<const char*> Pointers(const std::vector<QByteArray>& from) const {
        std::vector<const char*> p;
        for (const QByteArray& b : from) p.push_back(b.constData());
        p.push_back(nullptr);
        return p;
    }
};

TKeywords Keywords(const TPgParams& params, const QString& database) {
    TKeywords k;
    k.Add("host", params.Host);
    k.Add("port", QString::number(params.Port));
    k.Add("dbname", database);
    k.Add("user", params.User);
    k.Add("password", params.Password);
    k.Add("connect_timeout", QStringLiteral("5"));
    k.Add("keepalives_idle", QStringLiteral("30"));
    k.Add("tcp_user_timeout", QStringLiteral("15000"));
    k.Add("client_encoding", QStringLiteral("UTF8"));
    k.Add("application_name", QStringLiteral("prandel-etykiet"));
    return k;
}

PGconn* Open(const TKeywords& k) {
    const auto keys = k.Pointers(k.Keys), values = k.Pointers(k.Values);
    return PQconnectdbParams(keys.data(), values.data(), 0);
}

bool CanLogIn(const TPgParams& params, const QString& database) {
    PGconn* c = Open(Keywords(params, database));
    const bool ok = PQstatus(c) == CONNECTION_OK;
    PQfinish(c);
    return ok;
}

// Why the login failed, told apart without reading the server's texts (they
// come in the server's language): no answer at all; an answer, but this
// database refuses where the server's own one lets the same login in; or the
// login itself refused.
QString ConnectFailure(const TPgParams& params) {
    const QString head = QStringLiteral("Nie można połączyć się z serwerem towarów %1: ").arg(params.Place());
    const TKeywords k = Keywords(params, params.Database);
    const auto keys = k.Pointers(k.Keys), values = k.Pointers(k.Values);
    if (PQpingParams(keys.data(), values.data(), 0) == PQPING_NO_RESPONSE) return head + QStringLiteral("serwer nie odpowiada.");
    if (CanLogIn(params, QStringLiteral("postgres")))
        return head + QStringLiteral("na serwerze nie ma bazy danych %1.").arg(params.Database);
    return head + QStringLiteral("serwer odrzucił logowanie użytkownika %1.").arg(params.User);
}

// Whether the server ended the transaction for its order against another's,
// so that running it again may well succeed.
bool RetryableState(const QString& state) { return state == QLatin1String("40P01") || state == QLatin1String("40001"); }

// The results that end a COPY: the first that is no success, or null.
PGresult* FirstFailure(PGconn* conn) {
    PGresult* failed = nullptr;
    while (PGresult* r = PQgetResult(conn)) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK && !failed)
            failed = r;
        else
            PQclear(r);
    }
    return failed;
}

// A name or a text quoted by libpq's `escape`, by the connection's encoding.
QString Quoted(PGconn* conn, const QString& text, char* (*escape)(PGconn*, const char*, size_t), const QString& refusal,
               const QString& state) {
    const QByteArray utf8 = text.toUtf8();
    char* quoted = conn ? escape(conn, utf8.constData(), size_t(utf8.size())) : nullptr;
    if (!quoted) throw TServerError(refusal.arg(text), state);
    const QString result = QString::fromUtf8(quoted);
    PQfreemem(quoted);
    return result;
}

TServerLost LostLink(const QString& place, const QString& state) {
    return TServerLost(QStringLiteral("Utracono połączenie z serwerem towarów %1.").arg(place), state);
}

bool LostState(const QString& state) {
    return state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") || state == QLatin1String("57P02") ||
           state == QLatin1String("57P03");
}

// Parameters as text, converted by the server to the column's type.
struct TParamTexts {
    std::vector<QByteArray> Texts;
    std::vector<const char*> Pointers;
    explicit TParamTexts(const QVariantList& params) {
        Texts.reserve(params.size());
        for (const QVariant& v : params) {
            if (v.isNull()) {
                Texts.emplace_back();
                Pointers.push_back(nullptr);
                continue;
            }
            if (v.typeId() == QMetaType::Bool)
                Texts.emplace_back(v.toBool() ? "t" : "f");
            else if (v.typeId() == QMetaType::QDateTime)
                Texts.push_back(v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8());
            else
                Texts.push_back(v.toString().toUtf8());
            Pointers.push_back(Texts.back().constData());
        }
    }
};

// `?` outside quoted text and names to `$1`, `$2`...
QByteArray NumberedParameters(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 16);
    int n = 0;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'?') {
            out += u'$' + QString::number(++n);
            continue;
        }
        out += c;
    }
    return out.toUtf8();
}

}  // namespace

QString TPgParams::Place() const { return QStringLiteral("%1:%2/%3").arg(Host).arg(Port).arg(Database); }

TServerError::TServerError(const QString& message, const QString& sqlState) : TEngineError(message), State(sqlState) {}

TPgResult::TPgResult(pg_result* result) : Result(result, PQclear) {}

int TPgResult::Rows() const { return Result ? PQntuples(Result.get()) : 0; }

int TPgResult::Columns() const { return Result ? PQnfields(Result.get()) : 0; }

QVariant TPgResult::Value(int row, int column) const {
    PGresult* r = Result.get();
    if (PQgetisnull(r, row, column)) return {};
    const char* text = PQgetvalue(r, row, column);
    switch (PQftype(r, column)) {
    case kBoolOid: return QVariant(text[0] == 't');
    case kInt2Oid:
    case kInt4Oid:
    case kInt8Oid:
    case kOidOid: return QVariant(QByteArray(text).toLongLong());
    default: return QVariant(QString::fromUtf8(text, PQgetlength(r, row, column)));
    }
}

TPgConnection::~TPgConnection() {
    if (Conn) PQfinish(Conn);
}

void TPgConnection::Connect(const TPgParams& params) {
    if (Conn) PQfinish(Conn);
    TransactionDepth = 0;
    Place = params.Place();
    Conn = Open(Keywords(params, params.Database));
    if (PQstatus(Conn) == CONNECTION_OK) {
        // Notices ("already exists, skipping") are no news to anyone.
        PQsetNoticeProcessor(Conn, [](void*, const char*) {}, nullptr);
        const char* encoding = PQparameterStatus(Conn, "server_encoding");
        if (encoding && qstrcmp(encoding, "UTF8") == 0) return;
        const QString found = QString::fromLatin1(encoding ? encoding : "?");
        PQfinish(Conn);
        Conn = nullptr;
        throw TServerError(QStringLiteral("Nie można połączyć się z serwerem towarów %1: baza danych %2 ma kodowanie %3 zamiast UTF8.")
                               .arg(Place, params.Database, found),
                           QStringLiteral("22021"));
    }
    qCWarning(lcGoods).noquote() << "Goods server" << Place << "user" << params.User << ":"
                                 << QString::fromUtf8(PQerrorMessage(Conn)).trimmed();
    PQfinish(Conn);
    Conn = nullptr;
    throw TServerLost(ConnectFailure(params), QStringLiteral("08001"));
}

bool TPgConnection::Connected() const { return Conn && PQstatus(Conn) == CONNECTION_OK; }

bool TPgConnection::Lost() const { return Conn && PQstatus(Conn) != CONNECTION_OK; }

void TPgConnection::Fail(pg_result* result, const QString& what) {
    const char* stateText = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const QString state = stateText ? QString::fromLatin1(stateText) : QString();
    QString text = primary ? QString::fromUtf8(primary) : QString::fromUtf8(Conn ? PQerrorMessage(Conn) : "").trimmed();
    if (result) PQclear(result);
    if (!Conn || PQstatus(Conn) != CONNECTION_OK || LostState(state)) {
        qCWarning(lcGoods).noquote() << "Goods server" << Place << "lost during" << what << ":" << text;
        TransactionDepth = 0;
        throw LostLink(Place, state);
    }
    throw TServerError(text, state);
}

void TPgConnection::Check(pg_result* result, const QString& what) {
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_COPY_IN) Fail(result, what);
}

TPgResult TPgConnection::Exec(const QString& sql, const QVariantList& params) {
    if (!Conn) throw LostLink(Place, QStringLiteral("08003"));
    // Without parameters several statements may go at once (a schema's script).
    if (params.isEmpty()) {
        PGresult* r = PQexec(Conn, sql.toUtf8().constData());
        Check(r, sql.left(80));
        return TPgResult(r);
    }
    const QByteArray text = NumberedParameters(sql);
    const TParamTexts values(params);
    PGresult* r = PQexecParams(Conn, text.constData(), int(values.Pointers.size()), nullptr, values.Pointers.data(), nullptr,
                               nullptr, 0);
    Check(r, sql.left(80));
    return TPgResult(r);
}

QVariant TPgConnection::Scalar(const QString& sql, const QVariantList& params) {
    const TPgResult r = Exec(sql, params);
    return r.Rows() > 0 && r.Columns() > 0 ? r.Value(0, 0) : QVariant();
}

void TPgConnection::Begin() {
    if (TransactionDepth == 0) Exec(QStringLiteral("BEGIN"));
    ++TransactionDepth;
}

void TPgConnection::Commit() {
    if (TransactionDepth == 0) throw TServerError(QStringLiteral("Transakcja została już wycofana."), QStringLiteral("25P01"));
    if (--TransactionDepth == 0) Exec(QStringLiteral("COMMIT"));
}

void TPgConnection::Rollback() {
    if (TransactionDepth == 0) return;
    TransactionDepth = 0;
    if (Connected()) Exec(QStringLiteral("ROLLBACK"));
}

void TPgConnection::Retrying(const std::function<void()>& work) {
    const bool outermost = TransactionDepth == 0;
    for (int attempt = 1;; ++attempt) {
        Begin();
        try {
            work();
            Commit();
            return;
        } catch (const TServerLost&) {
            throw;
        } catch (const TServerError& e) {
            Rollback();
            if (!outermost || attempt > 1 || !RetryableState(e.SqlState())) throw;
            qCInfo(lcGoods).noquote() << "Goods server" << Place << "ended a transaction (" << e.SqlState() << "), running it again";
        } catch (...) {
            Rollback();
            throw;
        }
    }
}

void TPgConnection::CopyIn(const QString& sql, const std::function<void(const TCopyPut& put)>& write) {
    if (!Conn) throw LostLink(Place, QStringLiteral("08003"));
    PGresult* started = PQexec(Conn, sql.toUtf8().constData());
    Check(started, sql.left(80));
    PQclear(started);
    auto finish = [this, &sql](const char* abortReason) {
        if (PQputCopyEnd(Conn, abortReason) != 1) Fail(nullptr, sql.left(80));
        PGresult* failed = FirstFailure(Conn);
        if (failed && !abortReason) Fail(failed, sql.left(80));
        if (failed) PQclear(failed);
    };
    try {
        write([this, &sql](const QByteArray& row) {
            if (PQputCopyData(Conn, row.constData(), int(row.size())) != 1) Fail(nullptr, sql.left(80));
        });
    } catch (...) {
        if (Connected()) finish("przerwano");
        throw;
    }
    finish(nullptr);
}

QByteArray TPgConnection::CopyRow(const QVariantList& values) {
    QByteArray row;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i) row += '\t';
        const QVariant& v = values[i];
        if (v.isNull()) {
            row += "\\N";
            continue;
        }
        const QByteArray text = v.typeId() == QMetaType::Bool ? QByteArray(v.toBool() ? "t" : "f") : v.toString().toUtf8();
        for (const char c : text) {
            switch (c) {
            case '\\': row += "\\\\"; break;
            case '\t': row += "\\t"; break;
            case '\n': row += "\\n"; break;
            case '\r': row += "\\r"; break;
            default: row += c;
            }
        }
    }
    row += '\n';
    return row;
}

void TPgConnection::CopyOut(const QString& sql, const std::function<void(const TCopyFields& row)>& read) {
    if (!Conn) throw LostLink(Place, QStringLiteral("08003"));
    const QString what = sql.left(80);
    PGresult* started = PQexec(Conn, sql.toUtf8().constData());
    if (!started || PQresultStatus(started) != PGRES_COPY_OUT) Fail(started, what);
    PQclear(started);
    TCopyFields row;
    std::exception_ptr refused;
    for (;;) {
        char* line = nullptr;
        const int length = PQgetCopyData(Conn, &line, 0);
        // -1: all rows read; -2: the server's error, or a broken link, in the result below.
        if (length < 0) break;
        if (!refused) {
            try {
                row.Decode(line, length);
                read(row);
            } catch (...) {
                refused = std::current_exception();
            }
        }
        PQfreemem(line);
    }
    PGresult* failed = FirstFailure(Conn);
    if (failed || !Connected()) Fail(failed, what);
    if (refused) std::rethrow_exception(refused);
}

void TCopyFields::Decode(const char* line, int length) {
    Data.resize(0);
    Fields.clear();
    if (length > 0 && line[length - 1] == '\n') --length;
    Data.reserve(length);
    TField field;
    const auto digits = [&](int& i, int base, int most) {
        int value = 0;
        for (int n = 0; n < most && i < length; ++n, ++i) {
            const char c = line[i];
            const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99;
            if (d >= base) break;
            value = value * base + d;
        }
        --i;
        return char(value);
    };
    for (int i = 0; i < length; ++i) {
        const char c = line[i];
        if (c == '\t') {
            field.Length = Data.size() - field.From;
            Fields.push_back(field);
            field = TField{Data.size()};
            continue;
        }
        if (c != '\\' || i + 1 >= length) {
            Data += c;
            continue;
        }
        switch (const char e = line[++i]) {
        case 'N': field.Null = true; break;
        case 'b': Data += '\b'; break;
        case 'f': Data += '\f'; break;
        case 'n': Data += '\n'; break;
        case 'r': Data += '\r'; break;
        case 't': Data += '\t'; break;
        case 'v': Data += '\v'; break;
        case 'x': ++i; Data += digits(i, 16, 2); break;
        default:
            if (e >= '0' && e <= '7')
                Data += digits(i, 8, 3);
            else
                Data += e;
        }
    }
    field.Length = Data.size() - field.From;
    Fields.push_back(field);
}

QByteArrayView TCopyFields::Utf8(int i) const {
    const TField& f = Fields[size_t(i)];
    return QByteArrayView(Data.constData() + f.From, f.Length);
}

QString TCopyFields::Text(int i) const {
    if (IsNull(i)) return QString();
    const QByteArrayView bytes = Utf8(i);
    return bytes.isEmpty() ? QStringLiteral("") : QString::fromUtf8(bytes);
}

qint64 TCopyFields::Int64(int i) const { return IsNull(i) ? 0 : Utf8(i).toLongLong(); }

QString TPgConnection::Identifier(const QString& name) const {
    return Quoted(Conn, name, PQescapeIdentifier, QStringLiteral("Nieprawidłowa nazwa: %1."), QStringLiteral("42602"));
}

QString TPgConnection::Literal(const QString& text) const {
    return Quoted(Conn, text, PQescapeLiteral, QStringLiteral("Nieprawidłowy tekst: %1."), QStringLiteral("22021"));
}
