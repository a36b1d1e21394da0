#pragma once
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QString>
#include <vector>

// The SQL Server Resolution Protocol: a client asks the SQL Server Browser of
// every machine of the network for its instances with one broadcast datagram
// to UDP port 1434; each browser answers with one datagram that lists its
// instances.

inline constexpr quint16 kSsrpPort = 1434;
inline constexpr char kSsrpBroadcastRequest = 0x02;  // CLNT_BCAST_EX
inline constexpr char kSsrpAnswer = 0x05;            // SVR_RESP

// One instance named by an answer.
struct TSqlInstance {
    QString Server;
    QString Instance;
    int TcpPort = 0;  // 0 when the answer gives none
    // "SERVER\INSTANCE", or "SERVER" for the default instance MSSQLSERVER.
    QString Name() const;
};

// The well-formed instances of one answer datagram, in its order. A length
// that lies, a record cut short, a missing or oversized name, or a name that
// could not be typed back (control characters, a backslash in the server
// name) contributes nothing; the rest of the datagram still does.
std::vector<TSqlInstance> ParseSsrpAnswer(const QByteArray& datagram);

// The instances of all answers so far, in order of arrival, each name once
// (case ignored, as servers name themselves); bounded, so that a flood of
// answers cannot eat the memory.
class TSsrpCollector {
public:
    void Add(const QByteArray& datagram);
    const std::vector<TSqlInstance>& Instances() const { return Found; }
    static constexpr std::size_t kMaxInstances = 10000;

private:
    std::vector<TSqlInstance> Found;
    QSet<QString> Seen;
};

struct TSsrpTarget {
    QHostAddress Address;
    quint16 Port = kSsrpPort;
};

// Targets written as "address" or "address:port" ("[v6]:port"), separated
// by commas; entries that are no address are left out.
QList<TSsrpTarget> ParseSsrpTargets(const QString& text);
// Where a scan sends its request: the broadcast address of every up
// interface, or, when the environment variable PRANDEL_SSRP_TARGETS is set,
// exactly the targets it lists (none when it lists none).
QList<TSsrpTarget> SsrpTargets();

// Sends the request to every target, then collects the answers for `waitMs`
// milliseconds. Blocks: meant for a worker thread. Failures give what was
// collected so far.
std::vector<TSqlInstance> ScanSsrp(const QList<TSsrpTarget>& targets, int waitMs);
