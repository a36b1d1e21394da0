#pragma once
#include <QByteArray>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QStringList>
#include <QTimer>
#include <QUdpSocket>
#include <memory>

// A stand-in for the SQL Server Browser of one machine, on 127.0.0.1 only:
// answers every request with its datagram after a delay; a null answer
// answers nothing. It runs on the test's thread, which the scan keeps
// processing events while it waits.
class TSsrpResponder {
public:
    explicit TSsrpResponder(QByteArray answer, int delayMs = 0) : Answer(std::move(answer)), Delay(delayMs) {
        Socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
        QObject::connect(&Socket, &QUdpSocket::readyRead, &Socket, [this] {
            while (Socket.hasPendingDatagrams()) {
                const QNetworkDatagram request = Socket.receiveDatagram();
                ++Requests;
                if (request.data() != QByteArray(1, '\x02') || Answer.isNull()) continue;
                const QHostAddress to = request.senderAddress();
                const quint16 port = static_cast<quint16>(request.senderPort());
                QTimer::singleShot(Delay, &Socket, [this, to, port] { Socket.writeDatagram(Answer, to, port); });
            }
        });
    }
    QString Target() const { return QStringLiteral("127.0.0.1:%1").arg(Socket.localPort()); }
    int Requests = 0;

private:
    QUdpSocket Socket;
    QByteArray Answer;
    int Delay;
};

// An answer datagram holding `records`, with their true length.
inline QByteArray SsrpAnswer(const QByteArray& records) {
    QByteArray d(3, '\0');
    d[0] = 0x05;
    d[1] = static_cast<char>(records.size() & 0xFF);
    d[2] = static_cast<char>((records.size() >> 8) & 0xFF);
    return d + records;
}

inline QByteArray SsrpRecord(const QByteArray& server, const QByteArray& instance, const QByteArray& tcp = "1433") {
    return "ServerName;" + server + ";InstanceName;" + instance + ";IsClustered;No;Version;15.0.2000.5;tcp;" + tcp + ";np;\\\\" +
           server + "\\pipe\\sql\\query;;";
}

// Points every scan of the test at the given targets only, so that nothing
// is broadcast.
class TSsrpTargetsScope {
public:
    explicit TSsrpTargetsScope(const QStringList& targets) : Old(qgetenv("PRANDEL_SSRP_TARGETS")), Had(qEnvironmentVariableIsSet("PRANDEL_SSRP_TARGETS")) {
        qputenv("PRANDEL_SSRP_TARGETS", targets.join(u',').toUtf8());
    }
    ~TSsrpTargetsScope() {
        if (Had) qputenv("PRANDEL_SSRP_TARGETS", Old);
        else qunsetenv("PRANDEL_SSRP_TARGETS");
    }

private:
    QByteArray Old;
    bool Had;
};
