#include "pgtest.h"
#include "serverconnectioncheck.h"
#include "serverschema.h"

#include <QTcpServer>

namespace {

using ServerConnectionCheckTest = PgTest;

// Every log line written while a test runs.
QStringList& LogLines() {
    static QStringList lines;
    return lines;
}

void Capture(QtMsgType, const QMessageLogContext&, const QString& message) { LogLines() << message; }

// The check tells the shop owner what to mend, in the program's words: the
// place, the login, the database or the shop; the password is in no message
// and no log line, whether it was right or wrong.
TEST_F(ServerConnectionCheckTest, NamesWhatFailedAndNeverThePassword) {
    const QString password = QStringLiteral("Sekret-Kasy-42"), wrong = QStringLiteral("Zle-Haslo-99");
    ASSERT_TRUE(SharedPgServer().AddPasswordLogin(QStringLiteral("sprzedawca"), password)) << SharedPgServer().error().toStdString();
    ASSERT_TRUE(SharedPgServer().AddPasswordLogin(QStringLiteral("praktykant"), password)) << SharedPgServer().error().toStdString();
    ASSERT_TRUE(SharedPgServer().Sql(QStringLiteral("sklep"), QStringLiteral("GRANT CREATE ON DATABASE sklep TO sprzedawca")));
    // A shop already newer than the program, made by the same login.
    {
        TPgParams seller = Params();
        seller.User = QStringLiteral("sprzedawca");
        seller.Password = password;
        const auto conn = Connected(seller);
        PrepareShopSchema(*conn, QStringLiteral("nowszy"));
        conn->Exec(QStringLiteral("UPDATE nowszy.wersja SET schemat = schemat + 1"));
    }
    int deadPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        deadPort = probe.serverPort();
    }
    const int port = SharedPgServer().port();
    const QString head = QStringLiteral("Nie można połączyć się z serwerem towarów 127.0.0.1:%1/%2: ");
    const struct {
        const char* User;
        int Port;
        const char* Database;
        QString Password;
        const char* Shop;
        QString Message;
    } cases[] = {
        {"sprzedawca", port, "sklep", password, "Sklep Główny", kGoodsServerWorks},
        // Made once, found the second time.
        {"sprzedawca", port, "sklep", password, "Sklep Główny", kGoodsServerWorks},
        {"sprzedawca", deadPort, "sklep", password, "sklep", head.arg(deadPort).arg("sklep") + "serwer nie odpowiada."},
        {"sprzedawca", port, "sklep", wrong, "sklep",
         head.arg(port).arg("sklep") + "serwer odrzucił logowanie użytkownika sprzedawca."},
        {"sprzedawca", port, "etykiety", password, "sklep",
         head.arg(port).arg("etykiety") + "na serwerze nie ma bazy danych etykiety."},
        {"sprzedawca", port, "sklep", password, "nowszy", "Baza towarów na serwerze ma nowszą wersję (2) niż program (1)."},
        {"praktykant", port, "sklep", password, "sklep",
         QStringLiteral("Serwer towarów 127.0.0.1:%1/sklep nie przygotował sklepu sklep: permission denied for database sklep.").arg(port)},
        {"sprzedawca", port, "sklep", password, "pg_sklep", "Nieprawidłowa nazwa sklepu na serwerze: \"pg_sklep\"."},
    };
    LogLines().clear();
    const QtMessageHandler previous = qInstallMessageHandler(Capture);
    for (const auto& c : cases) {
        TGoodsStoreSettings settings;
        settings.Kind = TGoodsStoreKind::Server;
        settings.Host = QStringLiteral("127.0.0.1");
        settings.Port = c.Port;
        settings.Database = QString::fromUtf8(c.Database);
        settings.User = QString::fromUtf8(c.User);
        settings.Password = c.Password;
        settings.Shop = QString::fromUtf8(c.Shop);
        EXPECT_EQ(CheckGoodsServer(settings).toStdString(), c.Message.toStdString()) << c.User << " " << c.Database << " " << c.Shop;
    }
    qInstallMessageHandler(previous);
    EXPECT_FALSE(LogLines().isEmpty());
    for (const QString& line : LogLines()) {
        EXPECT_FALSE(line.contains(password)) << line.toStdString();
        EXPECT_FALSE(line.contains(wrong)) << line.toStdString();
    }
    EXPECT_EQ(ShopSchemaVersion(*Connected(), QStringLiteral("Sklep Główny")), kServerSchemaVersion);
}

}  // namespace
