#include "pgtest.h"
#include "serverconnectioncheck.h"
#include "serverschema.h"
#include "testsupport.h"

#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

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

// The shipped server script makes the login and the UTF-8 database of the
// shops, and prints the [GOODSSTORE] lines with which, once the password is
// typed in, the check passes; run again, it gives the login its new
// password and keeps the database. The password is never printed.
TEST_F(ServerConnectionCheckTest, ServerScriptPreparesWhatTheCheckAccepts) {
    const QString script = SourceDataDir() + QStringLiteral("/tools/serwer-towarow.sh");
    const auto run = [&](const QStringList& args, const QString& password) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PGHOST"), QStringLiteral("127.0.0.1"));
        env.insert(QStringLiteral("PGPORT"), QString::number(SharedPgServer().port()));
        env.insert(QStringLiteral("PGUSER"), QStringLiteral("prandel"));
        env.insert(QStringLiteral("PRANDEL_HASLO"), password);
        p.setProcessEnvironment(env);
        p.start(script, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput()), err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_FALSE(out.contains(password) || err.contains(password));
        return std::make_tuple(p.exitCode(), out, err);
    };
    QTemporaryDir dir;
    const auto admin = Connected();
    const auto passwordHash = [&] {
        return admin->Scalar(QStringLiteral("SELECT rolpassword FROM pg_authid WHERE rolname = 'kasa sklepu'")).toString();
    };
    const QString passwords[] = {QStringLiteral("Pierwsze 'hasło' $HOME :x"), QStringLiteral("drugie-haslo")};
    QString previousHash;
    for (const QString& password : passwords) {
        const auto [code, out, err] = run({QStringLiteral("kasa sklepu"), QStringLiteral("Etykiety Filii")}, password);
        ASSERT_EQ(code, 0) << err.toStdString();
        EXPECT_EQ(out, QStringLiteral("[GOODSSTORE]\nKIND=1\nHOST=127.0.0.1\nPORT=%1\nDATABASE=Etykiety Filii\nUSER=kasa sklepu\nSHOP=sklep\n")
                           .arg(SharedPgServer().port()));
        EXPECT_NE(passwordHash(), previousHash);
        EXPECT_TRUE(passwordHash().startsWith(QLatin1String("SCRAM-SHA-256$"))) << passwordHash().toStdString();
        previousHash = passwordHash();
        WriteAll(dir.filePath(QStringLiteral("settings.ini")), out.toUtf8());
        TSettings settings;
        ASSERT_TRUE(settings.LoadFromFile(dir.filePath(QStringLiteral("settings.ini"))));
        EXPECT_EQ(settings.GoodsStore.Kind, TGoodsStoreKind::Server);
        settings.GoodsStore.Password = password;
        EXPECT_EQ(CheckGoodsServer(settings.GoodsStore).toStdString(), kGoodsServerWorks.toStdString());
    }
    EXPECT_EQ(admin->Scalar(QStringLiteral("SELECT pg_encoding_to_char(encoding) || ' ' || pg_get_userbyid(datdba)"
                                           " FROM pg_database WHERE datname = 'Etykiety Filii'")),
              QStringLiteral("UTF8 kasa sklepu"));
    const auto [code, out, err] = run({}, passwords[1]);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(err.startsWith(QStringLiteral("serwer-towarow: użycie:"))) << err.toStdString();
}

}  // namespace
