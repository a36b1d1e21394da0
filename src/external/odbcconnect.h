#pragma once
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>
#include <utility>

// A value in ODBC's quoted form: in braces, each closing brace doubled, so
// that ";", "=", braces and blanks in it stay part of the value and can never
// start an attribute of their own.
QString OdbcQuote(const QString& value);
// A value as it can stand in a connection string: as it is when nothing in it
// is syntax of the string, quoted otherwise. Some drivers take only the
// password out of its quotes (psqlODBC keeps them on the user name and the
// data source name), so a plain value stays plain.
QString OdbcValue(const QString& value);

// Qt's ODBC driver pastes the user name and password into the connection
// string as they are ("...;UID=" + user + ";PWD=" + password), and reads the
// database name for words of its own (".dsn", "DRIVER=", "SERVER="). These
// set a QODBC connection up so that the string it builds holds every value
// in a form the driver reads back unchanged. The password is always quoted:
// psqlODBC decodes "%" and "+" in an unquoted one.

// The data source `dsn` with the login; no password attribute without
// `password` or with an empty one, no user attribute with an empty user.
void SetOdbcDataSource(QSqlDatabase& db, const QString& dsn, const QString& user, const std::optional<QString>& password);

// A connection straight through the installed driver `driver`, with the
// attributes in order and the login (user and password always given).
void SetOdbcDriverConnection(QSqlDatabase& db, const QString& driver,
                             const QList<std::pair<QString, QString>>& attributes, const QString& user,
                             const QString& password);
