#include "ssrp.h"

#include "codepage.h"
#include "silentfailure.h"

#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QThread>
#include <QUdpSocket>

namespace {

constexpr int kMaxNameBytes = 255;

// A name as the browser sent it, or an empty text when it is no usable name.
QString NameOf(const QByteArray& bytes, bool server) {
    if (bytes.isEmpty() || bytes.size() > kMaxNameBytes) return {};
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || (server && b == '\\')) return {};
    }
    // The browser writes the machine's code page; a Polish shop's is Windows-1250.
    return FromWin1250(bytes).trimmed();
}

std::optional<TSqlInstance> ParseRecord(const QByteArray& record) {
    const QList<QByteArray> fields = record.split(';');
    QByteArray server, instance, tcp;
    bool haveServer = false, haveInstance = false;
    // Name and value pairs; a name without its value ends the record.
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        const QByteArray key = fields[i].toLower();
        if (key == "servername" && !haveServer) server = fields[i + 1], haveServer = true;
        else if (key == "instancename" && !haveInstance) instance = fields[i + 1], haveInstance = true;
        else if (key == "tcp" && tcp.isEmpty()) tcp = fields[i + 1];
    }
    TSqlInstance found;
    found.Server = NameOf(server, true);
    found.Instance = NameOf(instance, false);
    if (found.Server.isEmpty() || found.Instance.isEmpty() || found.Instance.contains(u'\\')) return std::nullopt;
    bool ok = false;
    const uint port = tcp.toUInt(&ok);
    found.TcpPort = ok && port > 0 && port <= 65535 ? static_cast<int>(port) : 0;
    return found;
}

}  // namespace

QString TSqlInstance::Name() const {
    if (Instance.compare(QLatin1String("MSSQLSERVER"), Qt::CaseInsensitive) == 0) return Server;
    return Server + u'\\' + Instance;
}

std::vector<TSqlInstance> ParseSsrpAnswer(const QByteArray& datagram) {
    std::vector<TSqlInstance> found;
    if (datagram.size() < 3 || datagram[0] != kSsrpAnswer) return found;
    const auto declared = static_cast<qsizetype>(static_cast<unsigned char>(datagram[1]) | (static_cast<unsigned char>(datagram[2]) << 8));
    // Only what the answer both declares and holds.
    const QByteArray data = datagram.mid(3, std::min(declared, datagram.size() - 3));
    // Each record ends with ";;"; a record without its end was cut short.
    for (qsizetype at = 0;;) {
        const qsizetype end = data.indexOf(";;", at);
        if (end < 0) break;
        if (auto instance = ParseRecord(data.mid(at, end - at))) found.push_back(*instance);
        at = end + 2;
    }
    return found;
}

void TSsrpCollector::Add(const QByteArray& datagram) {
    for (TSqlInstance& instance : ParseSsrpAnswer(datagram)) {
        if (Found.size() >= kMaxInstances) return;
        const QString key = instance.Name().toLower();
        if (Seen.contains(key)) continue;
        Seen.insert(key);
        Found.push_back(std::move(instance));
    }
}

QList<TSsrpTarget> ParseSsrpTargets(const QString& text) {
    QList<TSsrpTarget> targets;
    for (const QString& entry : text.split(u',', Qt::SkipEmptyParts)) {
        const QString e = entry.trimmed();
        TSsrpTarget target;
        if (target.Address.setAddress(e)) {
            targets << target;
            continue;
        }
        const qsizetype colon = e.lastIndexOf(u':');
        if (colon <= 0) continue;
        QString host = e.left(colon);
        if (host.startsWith(u'[') && host.endsWith(u']')) host = host.mid(1, host.size() - 2);
        bool ok = false;
        const uint port = e.mid(colon + 1).toUInt(&ok);
        if (!ok || port == 0 || port > 65535 || !target.Address.setAddress(host)) continue;
        target.Port = static_cast<quint16>(port);
        targets << target;
    }
    return targets;
}

QList<TSsrpTarget> SsrpTargets() {
    if (qEnvironmentVariableIsSet("PRANDEL_SSRP_TARGETS"))
        return ParseSsrpTargets(qEnvironmentVariable("PRANDEL_SSRP_TARGETS"));
    QList<TSsrpTarget> targets;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack) ||
            !flags.testFlag(QNetworkInterface::CanBroadcast))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries()) {
            if (e.ip().protocol() != QAbstractSocket::IPv4Protocol || e.broadcast().isNull()) continue;
            const bool known = std::any_of(targets.begin(), targets.end(), [&](const TSsrpTarget& t) { return t.Address == e.broadcast(); });
            if (!known) targets << TSsrpTarget{e.broadcast(), kSsrpPort};
        }
    }
    return targets;
}

std::vector<TSqlInstance> ScanSsrp(const QList<TSsrpTarget>& targets, int waitMs) {
    TSsrpCollector found;
    if (targets.isEmpty()) return {};
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(QHostAddress::AnyIPv4), 0)) {
        SilentFailure(lcExternal(), QStringLiteral("Szukanie serwerów SQL: ") + socket.errorString());
        return {};
    }
    const QByteArray request(1, kSsrpBroadcastRequest);
    for (const TSsrpTarget& t : targets)
        if (socket.writeDatagram(request, t.Address, t.Port) < 0)
            SilentFailure(lcExternal(), QStringLiteral("Szukanie serwerów SQL, %1: %2").arg(t.Address.toString(), socket.errorString()));
    const QDeadlineTimer deadline(std::max(0, waitMs));
    while (!deadline.hasExpired()) {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
            // A failed wait (not a timeout) must not turn into a busy loop.
            if (socket.error() != QAbstractSocket::SocketTimeoutError) QThread::msleep(10);
            continue;
        }
        while (socket.hasPendingDatagrams()) found.Add(socket.receiveDatagram().data());
    }
    return found.Instances();
}
