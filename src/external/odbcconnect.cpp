#include "odbcconnect.h"

QString OdbcQuote(const QString& value) {
    QString quoted = value;
    quoted.replace(u'}', QStringLiteral("}}"));
    return u'{' + quoted + u'}';
}

QString OdbcValue(const QString& value) {
    const bool syntax = value.contains(u';') || value.contains(u'{') || value.contains(u'}') ||
                        (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    return syntax ? OdbcQuote(value) : value;
}

void SetOdbcDataSource(QSqlDatabase& db, const QString& dsn, const QString& user, const std::optional<QString>& password) {
    // Qt puts "DSN=" before the name unless the name holds one of its words,
    // in which case it takes the name for a whole connection string.
    const bool taken = dsn.contains(QLatin1String("DRIVER="), Qt::CaseInsensitive) ||
                       dsn.contains(QLatin1String("SERVER="), Qt::CaseInsensitive);
    db.setDatabaseName(taken ? QStringLiteral("DSN=") + OdbcValue(dsn) : OdbcValue(dsn));
    db.setUserName(user.isEmpty() ? QString() : OdbcValue(user));
    db.setPassword(password && !password->isEmpty() ? OdbcQuote(*password) : QString());
}

void SetOdbcDriverConnection(QSqlDatabase& db, const QString& driver,
                             const QList<std::pair<QString, QString>>& attributes, const QString& user,
                             const QString& password) {
    db.setDatabaseName(QStringLiteral("DRIVER=") + OdbcQuote(driver));
    // The other attributes ride after the user name, where Qt looks for no
    // words of its own (a server name may well hold ".dsn").
    QString login = OdbcValue(user);
    for (const auto& [name, value] : attributes) login += u';' + name + u'=' + OdbcValue(value);
    db.setUserName(login);
    db.setPassword(OdbcQuote(password));
}
