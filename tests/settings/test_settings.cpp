#include "settings.h"

#include "cipher.h"
#include "firstrun.h"

#include "datafolder.h"
#include "inifile.h"
#include "printers.h"
#include "testsupport.h"

#include <QProcess>
#include <QSysInfo>
#include <gtest/gtest.h>

namespace {

struct SettingsTest : ::testing::Test {
    TempDataHome home;
    SettingsTest() { EnsureDataFolder(); }
    QString ini() const { return home.path("settings.ini"); }
    TSettings Load(const QByteArray& text) {
        WriteAll(ini(), text);
        TSettings s;
        EXPECT_TRUE(s.LoadFromFile(ini()));
        return s;
    }
};

TEST_F(SettingsTest, MissingFileChangesNothing) {
    TSettings s;
    EXPECT_FALSE(s.LoadFromFile(ini()));
    EXPECT_EQ(s.Scale, 0);
    EXPECT_TRUE(s.LabelFileName.isEmpty());
    EXPECT_FALSE(s.DoubleGr);
}

TEST_F(SettingsTest, DefaultsOfAnEmptyFile) {
    const TSettings s = Load("");
    EXPECT_EQ(s.LabelFileName, home.path("LABELS/30x20.etk"));
    EXPECT_EQ(s.Orientation, "Pionowa");
    EXPECT_EQ(s.CurrencySymbol, QString::fromUtf8("zł"));
    EXPECT_EQ(s.KgSymbol, "kg");
    EXPECT_EQ(s.LitreSymbol, "litr");
    EXPECT_EQ(s.SquareMetreSymbol, "m2");
    EXPECT_TRUE(s.DoubleGr);
    EXPECT_TRUE(s.AlwaysGr);
    EXPECT_FALSE(s.DotSeparator);
    EXPECT_FALSE(s.SmallGr);
    EXPECT_EQ(s.BarcodeType, 14);
    EXPECT_TRUE(s.BarcodeShowText);
    EXPECT_EQ(s.Scale, 2);
    EXPECT_EQ(s.CheckType, 0);
    EXPECT_EQ(s.PrinterName, DefaultPrinterName());
    // The goods in the local file unless the settings name a server.
    TGoodsStoreSettings store;
    store.Kind = TGoodsStoreKind::Server;
    EXPECT_NE(s.GoodsStore, store);
    store.Kind = TGoodsStoreKind::Local;
    EXPECT_EQ(s.GoodsStore, store);
    EXPECT_EQ(s.GoodsStore.Host, "localhost");
    EXPECT_EQ(s.GoodsStore.Port, 5432);
    EXPECT_EQ(s.GoodsStore.Database, "etykiety");
    EXPECT_EQ(s.GoodsStore.Shop, "sklep");
    EXPECT_TRUE(s.GoodsStore.User.isEmpty());
    EXPECT_TRUE(s.GoodsStore.Password.isEmpty());
    EXPECT_TRUE(s.GoodsStore.Workstation.isEmpty());
    EXPECT_EQ(s.GoodsStore.WorkstationName(), QSysInfo::machineHostName());
    // Without a stored date the last print is "now", so nothing counts as printed last.
    EXPECT_LE(qAbs(s.LastPrintDate.secsTo(QDateTime::currentDateTime())), 5);
}

TEST_F(SettingsTest, RangeRules) {
    struct Case {
        QByteArray text;
        int barcode, scale, check;
        const char* orientation;
        TGoodsStoreKind kind = TGoodsStoreKind::Local;
        int port = 5432;
        const char* shop = "sklep";
    };
    const Case cases[] = {
        {"[BARCODE]\nTYPE=23\n[OTHER]\nSCALE=0\nCHECKTYPE=2\n[PRINTER]\nORIENTATION=landscape\n", 14, 2, 0, "Pionowa"},
        {"[BARCODE]\nTYPE=-1\n[OTHER]\nSCALE=6\nCHECKTYPE=4\n[PRINTER]\nORIENTATION=Pozioma\n", 14, 2, 4, "Pozioma"},
        {"[BARCODE]\nTYPE=0\n[OTHER]\nSCALE=258\nCHECKTYPE=3\n[PRINTER]\nORIENTATION=pozioma\n", 0, 2, 3, "Pionowa"},
        {"[BARCODE]\nTYPE=0x16\n[OTHER]\nSCALE=257\nCHECKTYPE=1\n", 22, 1, 1, "Pionowa"},
        {"[BARCODE]\nTYPE=garbage\n[OTHER]\nSCALE=x5\nCHECKTYPE=\n", 14, 2, 0, "Pionowa"},
        // The goods store: a kind, a port and places the server could not use read as their defaults.
        {"[GOODSSTORE]\nKIND=1\nPORT=1\nSHOP=Filia 2\n", 14, 2, 0, "Pionowa", TGoodsStoreKind::Server, 1, "Filia 2"},
        {"[GOODSSTORE]\nKIND=2\nPORT=65536\nSHOP=\nHOST=\nDATABASE= \n", 14, 2, 0, "Pionowa"},
        {"[GOODSSTORE]\nKIND=-1\nPORT=0\n", 14, 2, 0, "Pionowa"},
        {"[GOODSSTORE]\nKIND=serwer\nPORT=65535\n", 14, 2, 0, "Pionowa", TGoodsStoreKind::Local, 65535},
    };
    for (const Case& c : cases) {
        const TSettings s = Load(c.text);
        EXPECT_EQ(s.BarcodeType, c.barcode) << c.text.constData();
        EXPECT_EQ(s.Scale, c.scale) << c.text.constData();
        EXPECT_EQ(s.CheckType, c.check) << c.text.constData();
        EXPECT_EQ(s.Orientation, c.orientation) << c.text.constData();
        EXPECT_EQ(s.GoodsStore.Kind, c.kind) << c.text.constData();
        EXPECT_EQ(s.GoodsStore.Port, c.port) << c.text.constData();
        EXPECT_EQ(s.GoodsStore.Shop, QString::fromUtf8(c.shop)) << c.text.constData();
        EXPECT_EQ(s.GoodsStore.Host, "localhost") << c.text.constData();
        EXPECT_EQ(s.GoodsStore.Database, "etykiety") << c.text.constData();
    }
}

TEST_F(SettingsTest, GarbageValuesReadAsDefaults) {
    const TSettings s = Load("[PRICE]\nDOUBLEGR=tak\nALWAYSGR=0\nSMALLGR=7\n[LABEL]\nFRAMECOLOR=red\n"
                             "[LAST PRINT]\nDATE=yesterday\n[PRINTER]\nASKLABELCOUNT=maybe\n");
    EXPECT_TRUE(s.DoubleGr);
    EXPECT_FALSE(s.AlwaysGr);
    EXPECT_TRUE(s.SmallGr);
    EXPECT_EQ(s.FrameColor, 0);
    EXPECT_FALSE(s.AskLabelCount);
    EXPECT_LE(qAbs(s.LastPrintDate.secsTo(QDateTime::currentDateTime())), 5);
}

// The sheet of labels, the printers' offsets and papers: tenths of a
// millimetre, anything out of range or unreadable as 0, offsets and papers
// per printer (the section's name without regard to case, the chosen
// printer's own section "PRINTER" not one of them) and negative offsets kept.
TEST_F(SettingsTest, SheetAndCalibrationRangesAndRoundTrip) {
    struct Case {
        QByteArray text;
        TSheetLayout sheet;
        bool ask;
        QPoint offset;  // of the printer "Biuro"
        TPrinterPaper paper = {};  // of the printer "Biuro"
    };
    const Case cases[] = {
        {"[PRINTER]\nNAME=Biuro\nROLL=1\nDARKNESS=5\n", {}, false, {}},
        {"[SHEET]\nLEFT=72\nTOP=151\nHGAP=30\nVGAP=1\nCOLUMNS=3\nROWS=7\nASKSTARTCELL=1\n"
         "[CALIBRATION Biuro]\nX=-15\nY=25\n[PRINTER Biuro]\nROLL=1\nDARKNESS=30\n",
         {72, 151, 30, 1, 3, 7}, true, {-15, 25}, {true, 30}},
        {"[SHEET]\nLEFT=1000\nTOP=1001\nHGAP=500\nVGAP=-1\nCOLUMNS=51\nROWS=100\n"
         "[calibration biuro]\nX=300\nY=-301\n[printer BIURO]\nROLL=0\nDARKNESS=31\n",
         {1000, 0, 500, 0, 0, 100}, false, {300, 0}, {false, 0}},
        {"[SHEET]\nLEFT=x\nTOP=\nHGAP=1,5\nVGAP=99999999999\nCOLUMNS=tak\nROWS=-3\nASKSTARTCELL=maybe\n"
         "[CALIBRATION Biuro]\nX=pół\nY=-300\n[CALIBRATION Inna]\nX=7\n[PRINTER Biuro]\nROLL=tak\nDARKNESS=-1\n"
         "[PRINTER Inna]\nROLL=1\n",
         {}, false, {0, -300}, {false, 0}},
    };
    for (const Case& c : cases) {
        TSettings s = Load(c.text);
        EXPECT_EQ(s.Sheet, c.sheet) << c.text.constData();
        EXPECT_EQ(s.AskStartCell, c.ask) << c.text.constData();
        EXPECT_EQ(s.Calibrations.Get("Biuro"), c.offset) << c.text.constData();
        EXPECT_EQ(s.Calibrations.Get("Bez przesunięcia"), QPoint()) << c.text.constData();
        EXPECT_EQ(s.Papers.Get("Biuro"), c.paper) << c.text.constData();
        EXPECT_EQ(s.Papers.Get("Bez przesunięcia"), TPrinterPaper()) << c.text.constData();
        // What was read is written back as read.
        ASSERT_TRUE(s.SaveToFile(ini()));
        TSettings again;
        ASSERT_TRUE(again.LoadFromFile(ini()));
        EXPECT_EQ(again.Sheet, c.sheet) << c.text.constData();
        EXPECT_EQ(again.AskStartCell, c.ask) << c.text.constData();
        EXPECT_EQ(again.Calibrations.Get("BIURO"), c.offset) << c.text.constData();
        EXPECT_EQ(again.Calibrations.All(), s.Calibrations.All()) << c.text.constData();
        EXPECT_EQ(again.Papers.Get("biuro"), c.paper) << c.text.constData();
        EXPECT_EQ(again.Papers.All(), s.Papers.All()) << c.text.constData();
    }
    // A printer name that cannot head a section is not written (it would
    // damage the file), the others are.
    TSettings s = Load("");
    s.Calibrations.Set("Zła]nazwa", {10, 10});
    s.Calibrations.Set("Dobra", {-5, 5});
    s.Papers.Set("Zła]nazwa", {true, 3});
    s.Papers.Set("PDF", {true, 0});
    ASSERT_TRUE(s.SaveToFile(ini()));
    TSettings again;
    ASSERT_TRUE(again.LoadFromFile(ini()));
    EXPECT_EQ(again.Calibrations.All().size(), 1);
    EXPECT_EQ(again.Calibrations.Get("Dobra"), QPoint(-5, 5));
    EXPECT_EQ(again.Papers.All().size(), 1);
    EXPECT_EQ(TIniFile(ini()).ReadString("PRINTER PDF", "ROLL", QString()), QStringLiteral("1"));
}

TEST_F(SettingsTest, LayoutNameIsShortInsideLabelsAndFullElsewhere) {
    TSettings s = Load("[LABEL]\nFILENAME=30x20.etk\n");
    EXPECT_EQ(s.LabelFileName, home.path("LABELS/30x20.etk"));
    ASSERT_TRUE(s.SaveToFile(ini()));
    EXPECT_EQ(TIniFile(ini()).ReadString("LABEL", "FILENAME", ""), "30x20.etk");

    s.LabelFileName = "/srv/layouts/big.etk";
    ASSERT_TRUE(s.SaveToFile(ini()));
    EXPECT_EQ(TIniFile(ini()).ReadString("LABEL", "FILENAME", ""), "/srv/layouts/big.etk");
    TSettings again;
    ASSERT_TRUE(again.LoadFromFile(ini()));
    EXPECT_EQ(again.LabelFileName, "/srv/layouts/big.etk");

    // A path into LABELS spelled another way is kept whole.
    s.LabelFileName = home.path("LABELS/./a.etk");
    ASSERT_TRUE(s.SaveToFile(ini()));
    EXPECT_EQ(TIniFile(ini()).ReadString("LABEL", "FILENAME", ""), home.path("LABELS/./a.etk"));
}

TEST_F(SettingsTest, HandEditedKeysSurviveAndOnlyKeptKeysAreWritten) {
    const QByteArray hand = "[SYMBOL]\r\nZL=PLN\r\n[PRICE]\r\nSMALLGR=1\r\n[BARCODE]\r\nTYPE=9\r\n[OTHER]\r\nSCALE=4\r\n"
                            "FIRSTRUN=0\r\nMYKEY=keep me\r\n";
    TSettings s = Load(hand);
    s.AdminName = "kierownik";
    s.LastPrintDate = QDateTime(QDate(2026, 3, 1), QTime(14, 5, 6));
    s.CheckType = 3;
    ASSERT_TRUE(s.SaveToFile(ini()));
    const TIniFile f(ini());
    EXPECT_EQ(f.ReadString("SYMBOL", "ZL", ""), "PLN");
    EXPECT_EQ(f.ReadString("BARCODE", "TYPE", ""), "9");
    EXPECT_EQ(f.ReadString("OTHER", "SCALE", ""), "4");
    EXPECT_EQ(f.ReadString("OTHER", "MYKEY", ""), "keep me");
    EXPECT_EQ(f.ReadString("OTHER", "CHECKTYPE", ""), "3");
    EXPECT_EQ(f.ReadString("LAST PRINT", "DATE", ""), "2026-03-01 14:05:06");
    EXPECT_FALSE(f.ValueExists("SYMBOL", "KG"));
    EXPECT_FALSE(f.ValueExists("PRICE", "DOUBLEGR"));
    TSettings again;
    ASSERT_TRUE(again.LoadFromFile(ini()));
    EXPECT_EQ(again.LastPrintDate, s.LastPrintDate);
    EXPECT_EQ(again.AdminName, "kierownik");
}

// The goods server's login: the password is kept enciphered as the
// definitions keep theirs, never as its plain text; a stored text that does
// not decipher reads as no password.
TEST_F(SettingsTest, GoodsStoreRoundTripKeepsThePasswordEnciphered) {
    TSettings s = Load("");
    s.GoodsStore = {TGoodsStoreKind::Server, "serwer.sklep", 5433, "etykiety2", "kasa", "Tajne hasło!", "Filia 2",
                    "kasa-1"};
    ASSERT_TRUE(s.SaveToFile(ini()));
    const QByteArray text = ReadAll(ini());
    EXPECT_FALSE(text.contains("Tajne")) << text.constData();
    const TIniFile f(ini());
    const QString stored = f.ReadString("GOODSSTORE", "PASSWORD", "");
    EXPECT_EQ(stored, EncipherText(QString::fromLatin1(kPasswordKey), "Tajne hasło!"));
    EXPECT_EQ(f.ReadString("GOODSSTORE", "KIND", ""), "1");
    EXPECT_EQ(f.ReadString("GOODSSTORE", "PORT", ""), "5433");
    TSettings again;
    ASSERT_TRUE(again.LoadFromFile(ini()));
    EXPECT_EQ(again.GoodsStore, s.GoodsStore);
    EXPECT_EQ(again.GoodsStore.WorkstationName(), "kasa-1");

    const QByteArray damaged[] = {"[GOODSSTORE]\nPASSWORD=Tajne\n", "[GOODSSTORE]\nPASSWORD=" + stored.left(34).toLatin1() + "\n"};
    for (const QByteArray& d : damaged) EXPECT_TRUE(Load(d).GoodsStore.Password.isEmpty()) << d.constData();
}

TEST_F(SettingsTest, MidnightIsWrittenAsADate) {
    TSettings s;
    s.LastPrintDate = QDateTime(QDate(2026, 12, 24), QTime(0, 0));
    ASSERT_TRUE(s.SaveToFile(ini()));
    EXPECT_EQ(TIniFile(ini()).ReadString("LAST PRINT", "DATE", ""), "2026-12-24");
    TSettings again;
    ASSERT_TRUE(again.LoadFromFile(ini()));
    EXPECT_EQ(again.LastPrintDate, s.LastPrintDate);
}

TEST_F(SettingsTest, WriteIntoAMissingFolderFails) {
    TSettings s;
    EXPECT_FALSE(s.SaveToFile(home.path("no/such/settings.ini")));
}

TEST(PasswordHash, Rfc1321Vectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const auto& [text, digest] : vectors) EXPECT_EQ(PasswordHash(QString::fromLatin1(text)), digest) << text;
}

TEST(PasswordHash, HashesTheWindows1250BytesOfPolishLetters) {
    // "Zażółć" in Windows-1250, digested by the system's md5sum.
    QProcess md5;
    md5.start("md5sum", {});
    ASSERT_TRUE(md5.waitForStarted());
    md5.write("Za\xbf\xf3\xb3\xe6");
    md5.closeWriteChannel();
    ASSERT_TRUE(md5.waitForFinished());
    const QString expected = QString::fromLatin1(md5.readAllStandardOutput().left(32)).toUpper();
    EXPECT_EQ(PasswordHash(QString::fromUtf8("Zażółć")), expected);
}

TEST(FirstRun, MarkerIsWrittenOnceAndTheAnswerKept) {
    TempDataHome home;
    ASSERT_TRUE(EnsureDataFolder());
    EXPECT_TRUE(IsFirstRun());
    TIniFile ini(home.path("settings.ini"));
    EXPECT_EQ(ini.ReadString("OTHER", "FIRSTRUN", "?"), "0");
    EXPECT_TRUE(IsFirstRun());  // same answer for the rest of the process
    ResetFirstRunCache();
    EXPECT_FALSE(IsFirstRun());
}

TEST(FirstRun, MarkerKeepsTheRestOfAnExistingFile) {
    TempDataHome home;
    WriteAll(home.path("settings.ini"), "[SYMBOL]\r\nZL=PLN\r\n[OTHER]\r\nSCALE=3\r\nFIRSTRUN=1\r\n");
    EXPECT_TRUE(IsFirstRun());
    EXPECT_EQ(ReadAll(home.path("settings.ini")), "[SYMBOL]\r\nZL=PLN\r\n[OTHER]\r\nSCALE=3\r\nFIRSTRUN=0\r\n");
}

TEST(FirstRun, UnwritableFolderStillAnswers) {
    TempDataHome home;  // the data folder does not exist, so the marker cannot be written
    EXPECT_TRUE(IsFirstRun());
    EXPECT_FALSE(QFileInfo::exists(home.path("settings.ini")));
}

}  // namespace
