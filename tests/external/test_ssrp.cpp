#include "ssrp.h"
#include "ssrpresponder.h"

#include <gtest/gtest.h>

namespace {

QStringList Names(const std::vector<TSqlInstance>& instances) {
    QStringList names;
    for (const TSqlInstance& i : instances) names << i.Name();
    return names;
}

QByteArray WithLength(QByteArray datagram, int length) {
    datagram[1] = static_cast<char>(length & 0xFF);
    datagram[2] = static_cast<char>((length >> 8) & 0xFF);
    return datagram;
}

TEST(SsrpAnswer, OnlyWellFormedInstancesCount) {
    const QByteArray a = SsrpRecord("KASA", "SKLEP", "49172");
    const QByteArray b = "ServerName;KASA;InstanceName;SQLEXPRESS;IsClustered;No;Version;16.0.1000.6;;";
    struct Case {
        const char* What;
        QByteArray Datagram;
        QStringList Names;
    };
    const Case cases[] = {
        {"one server, two instances", SsrpAnswer(a + b), {"KASA\\SKLEP", "KASA\\SQLEXPRESS"}},
        {"default instance", SsrpAnswer(SsrpRecord("BIURO", "MSSQLSERVER") + SsrpRecord("ZAPLECZE", "mssqlserver")), {"BIURO", "ZAPLECZE"}},
        {"length beyond the datagram, last record cut", SsrpAnswer(a + b).chopped(4), {"KASA\\SKLEP"}},
        {"length short of the data", WithLength(SsrpAnswer(a + b), a.size() + 10), {"KASA\\SKLEP"}},
        {"length zero", WithLength(SsrpAnswer(a), 0), {}},
        {"no answer byte", QByteArray(1, '\x04') + SsrpAnswer(a).mid(1), {}},
        {"too short", QByteArray("\x05\x01", 2), {}},
        {"missing fields", SsrpAnswer("ServerName;A;IsClustered;No;;InstanceName;X;;ServerName;B;InstanceName;;" + b), {"KASA\\SQLEXPRESS"}},
        {"no records at all", SsrpAnswer(";;;;;"), {}},
        {"Windows-1250 bytes", SsrpAnswer(SsrpRecord("\xA3\xD3" "D\xAF", "SKLEP")), {QStringLiteral("ŁÓDŻ\\SKLEP")}},
        {"names that cannot be typed", SsrpAnswer(SsrpRecord("A\\B", "X") + SsrpRecord("A\x01", "X") + SsrpRecord("A", "X\\Y") + a), {"KASA\\SKLEP"}},
        {"oversized name", SsrpAnswer(SsrpRecord(QByteArray(256, 'S'), "X") + SsrpRecord(QByteArray(255, 'S'), "X")), {QString(255, u'S') + "\\X"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Names(ParseSsrpAnswer(c.Datagram)), c.Names) << c.What;

    const auto ports = ParseSsrpAnswer(SsrpAnswer(a + b + SsrpRecord("C", "X", "99999") + SsrpRecord("D", "X", "12ab")));
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].TcpPort, 49172);
    for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(ports[i].TcpPort, 0) << i;
}

TEST(SsrpAnswer, ThousandsOfInstancesEachOnceAndBounded) {
    // As many instances as one datagram holds, answered by many machines
    // and again by the first.
    TSsrpCollector all;
    for (int machine = 0; machine < 13; ++machine) {
        QByteArray records;
        for (int i = 0; records.size() < 65000; ++i) records += "ServerName;S" + QByteArray::number(machine) + ";InstanceName;I" + QByteArray::number(i) + ";;";
        const QByteArray datagram = SsrpAnswer(records.left(65535));
        if (machine == 0) {
            EXPECT_GT(ParseSsrpAnswer(datagram).size(), 1500u);
            all.Add(datagram);
            all.Add(datagram.toLower());
            EXPECT_EQ(all.Instances().size(), ParseSsrpAnswer(datagram).size());
        }
        all.Add(datagram);
    }
    EXPECT_EQ(all.Instances().size(), TSsrpCollector::kMaxInstances);
    EXPECT_EQ(all.Instances().front().Name(), QStringLiteral("S0\\I0"));
}

TEST(SsrpAnswer, TargetsFromTheEnvironment) {
    const auto targets = ParseSsrpTargets(QStringLiteral(" 127.0.0.1 ,127.0.0.1:40001,[::1]:5,nie-adres,127.0.0.1:0,127.0.0.1:x,"));
    ASSERT_EQ(targets.size(), 3);
    EXPECT_EQ(targets[0].Port, kSsrpPort);
    EXPECT_EQ(targets[1].Port, 40001);
    EXPECT_EQ(targets[2].Address, QHostAddress(QHostAddress::LocalHostIPv6));
    EXPECT_EQ(targets[2].Port, 5);
    // Set but empty: nothing at all is asked, never a broadcast.
    const TSsrpTargetsScope none({});
    EXPECT_TRUE(SsrpTargets().isEmpty());
}

}  // namespace
