#pragma once
#include <QString>
#include <QStringList>

struct sqlite3;

// Keeps the queries of a definition to reading. On a guarded connection a
// statement may read the tables made readable, select and call functions,
// and nothing else: no writing, no ATTACH (nor VACUUM INTO, which attaches),
// no PRAGMA, no transactions, no load_extension. What kind of table a
// readable name stands for (a table file of the folder, a view of one) is the
// caller's business. The program's own statements that set the tables up run
// inside a trusted scope.
class TQueryGuard {
public:
    // Installs the guard on `db` and hardens the connection (no attached
    // databases, no extensions, no double-quoted text in place of a column).
    // The connection must be closed before the guard is destroyed.
    explicit TQueryGuard(sqlite3* db);
    Q_DISABLE_COPY(TQueryGuard)

    void AllowReading(const QString& table);

    // While an instance lives, the guard lets every statement through.
    class TTrusted {
    public:
        explicit TTrusted(TQueryGuard& guard) : Guard(guard) { ++Guard.Trust; }
        ~TTrusted() { --Guard.Trust; }
        Q_DISABLE_COPY(TTrusted)

    private:
        TQueryGuard& Guard;
    };

private:
    static int Authorize(void* self, int action, const char* first, const char* second, const char* database,
                         const char* inner);
    QStringList Readable;  // lower case
    int Trust = 0;
};

// SQLite reads an unknown double-quoted name as a text: a misspelt column
// would silently become the same text on every row. Off on a connection,
// such a name is the error it is.
void DisableDoubleQuotedText(sqlite3* db);
