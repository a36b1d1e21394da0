#include "inifile.h"
#include "layout.h"
#include "matrixcode.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QByteArray kExample =
    "[PANEL]\r\nWIDTH=30\r\nHEIGHT=20\r\n"
    "[LABEL1]\r\nLEFT=1\r\nTOP=2\r\nRIGHT=29\r\nBOTTOM=7\r\nCLASS=LABEL\r\nTYPE=1\r\nTEXT=Nazwa\r\n"
    "FONTNAME=Arial\r\nFONTSIZE=8\r\nFONTBOLD=1\r\nFONTITALIC=0\r\nFONTUNDERLINE=0\r\nFONTCOLOR=0\r\nALIGNMENT=2\r\n";

TLayoutObject NameField() {
    TLayoutObject o;
    o.Kind = LayoutObjectKind::Label;
    o.Left = TMm(1);
    o.Top = TMm(2);
    o.Right = TMm(29);
    o.Bottom = TMm(7);
    o.Type = ctName;
    o.Text = QStringLiteral("Nazwa");
    o.FontName = QStringLiteral("Arial");
    o.FontSize = 8;
    o.FontBold = true;
    o.Alignment = taCenter;
    return o;
}

TLayoutObject Label(int n) {
    TLayoutObject o = NameField();
    o.Type = ctUserLabel;
    o.Text = QStringLiteral("Napis %1").arg(n);
    o.Left = TMm(n);
    o.Right = TMm(n + 10);
    return o;
}

TLayoutObject Image(const QString& file) {
    TLayoutObject o;
    o.Kind = LayoutObjectKind::Image;
    o.Left = TMm(2);
    o.Top = TMm(3);
    o.Right = TMm(12);
    o.Bottom = TMm(8);
    o.FileName = file;
    o.RealSize = false;
    return o;
}

TLayoutObject MatrixCode(quint8 symbol, bool gs1) {
    TLayoutObject o = NameField();
    o.Type = ctMatrixCode;
    o.Text = CompoCaption(ctMatrixCode);
    o.FontBold = false;
    o.FontSize = 6;
    o.Symbol = symbol;
    o.Gs1 = gs1;
    return o;
}

class LayoutFile : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Path(const QString& name = QStringLiteral("test.etk")) const { return Dir.filePath(name); }
    TLabelLayout Read(const QByteArray& bytes, const TLayoutDefaults& defaults) {
        WriteAll(Path(), bytes);
        TLabelLayout layout;
        EXPECT_TRUE(LoadLayoutFile(Path(), defaults, layout));
        return layout;
    }
};

}  // namespace

TEST(LayoutKinds, CaptionsAndColourValues) {
    EXPECT_EQ(CompoCaption(ctPrice), QStringLiteral("Cena"));
    EXPECT_EQ(CompoCaption(ctName), QStringLiteral("Nazwa"));
    EXPECT_EQ(CompoCaption(ctAbsPrice), QStringLiteral("Cena za jednostkę"));
    EXPECT_EQ(CompoCaption(ctCode), QStringLiteral("Kod"));
    EXPECT_EQ(CompoCaption(ctUserLabel), QStringLiteral("Napis"));
    EXPECT_TRUE(CompoCaption(ctUserBitmap).isEmpty());
    EXPECT_EQ(ColorFromValue(255), QColor(255, 0, 0));
    EXPECT_EQ(ColorFromValue(8388608), QColor(0, 0, 128));
    EXPECT_EQ(ColorToValue(QColor(128, 128, 0)), 32896);
    EXPECT_EQ(ColorToValue(ColorFromValue(12632256)), 12632256);
    // System colours and other non-plain values are no colour of their own.
    EXPECT_EQ(ColorFromValue(static_cast<int>(0xFF00000F)), QColor(Qt::black));
}

TEST(LayoutKinds, LowestPriceTemplate) {
    EXPECT_EQ(CompoCaption(ctLowestPrice), QString::fromUtf8("Najniższa cena z 30 dni przed obniżką: {cena} zł"));
    EXPECT_TRUE(CompoCaption(9).isEmpty());
    const struct {
        const char* Template;
        const char* Filled;
    } cases[] = {
        {"", "Najniższa cena z 30 dni przed obniżką: 4,60 zł"},
        {"Było {cena} zł", "Było 4,60 zł"},
        {"{Cena}-{CENA}", "4,60-4,60"},
        {"{cena", "{cena"},
        {"Promocja", "Promocja"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FillPriceTemplate(QString::fromUtf8(c.Template), QStringLiteral("4,60")), QString::fromUtf8(c.Filled))
            << c.Template;
}

// A 2D code's template filled from one goods record, or nothing when the
// goods lack the code it names; and the symbology it is drawn in.
TEST(LayoutKinds, MatrixCodeTemplate) {
    EXPECT_EQ(CompoCaption(ctMatrixCode), QStringLiteral("https://id.gs1.org/01/{gtin}"));
    const TCodeTemplateValues goods{.Kod = QStringLiteral("5901234123457"),
                                    .Gtin = QStringLiteral("05901234123457"),
                                    .Nazwa = QString::fromUtf8("Masło {cena}"),
                                    .Cena = QStringLiteral("4,60"),
                                    .Id = QStringLiteral("A-7")};
    TCodeTemplateValues noGtin = goods;
    noGtin.Kod = QStringLiteral("PL-123");
    noGtin.Gtin.clear();
    TCodeTemplateValues noCode = noGtin;
    noCode.Kod = QStringLiteral("  ");
    const TCodeTemplateValues nothing;
    const struct {
        const char* Template;
        const TCodeTemplateValues* Values;
        std::optional<const char*> Filled;
    } cases[] = {
        {"", &goods, "https://id.gs1.org/01/05901234123457"},
        {"https://sklep.pl/01/{GTIN}?id={Id}", &goods, "https://sklep.pl/01/05901234123457?id=A-7"},
        {"{kod};{nazwa};{cena};{id}", &goods, "5901234123457;Masło {cena};4,60;A-7"},
        {"{gtin}{gtin}", &goods, "0590123412345705901234123457"},
        {"{nieznane} {kod", &goods, "{nieznane} {kod"},
        {"https://id.gs1.org/01/{gtin}", &noGtin, std::nullopt},
        {"", &noGtin, std::nullopt},
        {"https://sklep.pl/p/{kod}", &noGtin, "https://sklep.pl/p/PL-123"},
        {"https://sklep.pl/p/{kod}", &noCode, std::nullopt},
        {"https://sklep.pl/p/{id}", &noCode, "https://sklep.pl/p/A-7"},
        {"Stały tekst", &noCode, "Stały tekst"},
        {"{nazwa}", &nothing, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<QString> filled = FillCodeTemplate(QString::fromUtf8(c.Template), *c.Values);
        ASSERT_EQ(filled.has_value(), c.Filled.has_value()) << c.Template;
        if (filled) EXPECT_EQ(*filled, QString::fromUtf8(*c.Filled)) << c.Template;
    }
    TObjectProperties o;
    o.Type = ctMatrixCode;
    const std::pair<std::pair<quint8, bool>, TBarcodeType> types[] = {{{msQR, false}, bcCodeQR},
                                                                      {{msDataMatrix, false}, bcCodeDataMatrix},
                                                                      {{msQR, true}, bcCodeGS1QR},
                                                                      {{msDataMatrix, true}, bcCodeGS1DataMatrix}};
    for (const auto& [props, type] : types) {
        o.Symbol = props.first;
        o.Gs1 = props.second;
        EXPECT_EQ(MatrixCodeType(o), type) << int(props.first) << props.second;
    }
}

// The reduction's template takes the percent, the difference and the
// reference price, each as the label prints it.
TEST(LayoutKinds, ReductionTemplate) {
    EXPECT_EQ(CompoCaption(ctReduction), QString::fromUtf8("−{procent}%"));
    const struct {
        const char* Template;
        const char *Percent, *Amount;
        const char* Filled;
    } cases[] = {
        {"", "20", "2,00", "−20%"},
        {"taniej o {kwota} zł", "20", "2,00", "taniej o 2,00 zł"},
        {"{PROCENT} % z {Cena} zł, {kwota}", "33", "1 250,00", "33 % z 4,60 zł, 1 250,00"},
        {"{procent", "20", "2,00", "{procent"},
        {"Promocja", "20", "2,00", "Promocja"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FillReductionTemplate(QString::fromUtf8(c.Template), QString::fromUtf8(c.Percent), QString::fromUtf8(c.Amount),
                                        QStringLiteral("4,60")),
                  QString::fromUtf8(c.Filled))
            << c.Template;
}

TEST(LayoutKinds, SectionPrefixIsCaseSensitive) {
    LayoutObjectKind kind;
    for (const char* name : {"LABEL1", "LABELS", "LABEL_A", "LABEL", "LABEL100"}) {
        EXPECT_TRUE(LayoutSectionKind(QString::fromLatin1(name), kind)) << name;
        EXPECT_EQ(kind, LayoutObjectKind::Label) << name;
    }
    EXPECT_TRUE(LayoutSectionKind(QStringLiteral("IMAGE7"), kind));
    EXPECT_EQ(kind, LayoutObjectKind::Image);
    for (const char* name : {"label1", "Label1", "XLABEL1", "PANEL", " LABEL1", "image1", "IMAG"})
        EXPECT_FALSE(LayoutSectionKind(QString::fromLatin1(name), kind)) << name;
}

TEST_F(LayoutFile, ExampleIsWrittenByteForByte) {
    TLabelLayout layout;
    layout.Width = TMm(30);
    layout.Height = TMm(20);
    layout.Objects.push_back(NameField());
    ASSERT_TRUE(SaveLayoutFile(Path(), layout));
    EXPECT_EQ(ReadAll(Path()), kExample);
}

TEST_F(LayoutFile, ExampleReadsBackWithEveryKey) {
    const TLabelLayout layout = Read(kExample, PrintLayoutDefaults());
    EXPECT_EQ(layout.Width, TMm(30));
    EXPECT_EQ(layout.Height, TMm(20));
    ASSERT_EQ(layout.Objects.size(), 1u);
    const TLayoutObject& o = layout.Objects[0];
    EXPECT_EQ(o.Kind, LayoutObjectKind::Label);
    EXPECT_EQ(o.Left, TMm(1));
    EXPECT_EQ(o.Top, TMm(2));
    EXPECT_EQ(o.Right, TMm(29));
    EXPECT_EQ(o.Bottom, TMm(7));
    EXPECT_EQ(o.Type, ctName);
    EXPECT_EQ(o.Text, QStringLiteral("Nazwa"));
    EXPECT_EQ(o.FontName, QStringLiteral("Arial"));
    EXPECT_EQ(o.FontSize, 8);
    EXPECT_TRUE(o.FontBold);
    EXPECT_FALSE(o.FontItalic);
    EXPECT_FALSE(o.FontUnderline);
    EXPECT_EQ(o.FontColor, 0);
    EXPECT_EQ(o.Alignment, taCenter);
}

// A reduction object keeps its kind and its template; the file's code page
// has no minus sign, so its look-alike, the en dash, stands for it.
TEST_F(LayoutFile, AReductionObjectKeepsItsKindAndTemplate) {
    TLabelLayout layout;
    layout.Width = TMm(30);
    layout.Height = TMm(20);
    TLayoutObject o = NameField();
    o.Type = ctReduction;
    o.Text = CompoCaption(ctReduction);
    layout.Objects.push_back(o);
    ASSERT_TRUE(SaveLayoutFile(Path(), layout));
    EXPECT_TRUE(ReadAll(Path()).contains("\r\nTYPE=8\r\nTEXT=\x96{procent}%\r\n"));
    const TLabelLayout back = Read(ReadAll(Path()), PrintLayoutDefaults());
    ASSERT_EQ(back.Objects.size(), 1u);
    EXPECT_EQ(back.Objects[0].Type, ctReduction);
    EXPECT_EQ(back.Objects[0].Text, QString::fromUtf8("–{procent}%"));
}

TEST_F(LayoutFile, MissingKeysTakeTheDefaultsOfTheReader) {
    const QByteArray bytes = "[LABEL1]\r\nLEFT=3\r\n[IMAGE1]\r\nFILENAME=a.bmp\r\n";
    const TLabelLayout design = Read(bytes, DesignerLayoutDefaults());
    EXPECT_EQ(design.Width, TMm(100));
    EXPECT_EQ(design.Height, TMm(50));
    ASSERT_EQ(design.Objects.size(), 2u);
    EXPECT_EQ(design.Objects[0].Type, ctUserLabel);
    EXPECT_EQ(design.Objects[0].Text, QStringLiteral("??????"));
    EXPECT_EQ(design.Objects[0].FontSize, 16);
    EXPECT_EQ(design.Objects[0].FontName, QStringLiteral("Arial"));
    EXPECT_EQ(design.Objects[0].Left, TMm(3));
    EXPECT_EQ(design.Objects[0].Right, TMm(0));
    EXPECT_TRUE(design.Objects[1].RealSize);

    const TLabelLayout print = Read(bytes, PrintLayoutDefaults());
    EXPECT_EQ(print.Width, TMm(0));
    EXPECT_EQ(print.Height, TMm(0));
    EXPECT_EQ(print.Objects[0].Type, ctPrice);
    EXPECT_TRUE(print.Objects[0].Text.isEmpty());
    EXPECT_EQ(print.Objects[0].FontSize, 10);
    EXPECT_EQ(print.Objects[0].FontName, QStringLiteral("Arial"));
    EXPECT_EQ(print.Objects[1].Kind, LayoutObjectKind::Image);
    EXPECT_EQ(print.Objects[1].FileName, QStringLiteral("a.bmp"));
    EXPECT_TRUE(print.Objects[1].RealSize);
}

TEST_F(LayoutFile, OnlyLabelAndImagePrefixesAreReadInFileOrder) {
    const QByteArray bytes =
        "[IMAGE2]\r\nFILENAME=b.bmp\r\n[label1]\r\nTEXT=lower\r\n[XLABEL1]\r\nTEXT=x\r\n[LABELS]\r\nTEXT=s\r\n"
        "[SHOP]\r\nTEXT=shop\r\n[LABEL_A]\r\nTEXT=a\r\n[LABEL]\r\n[IMAGE1]\r\nFILENAME=a.bmp\r\n";
    const TLabelLayout layout = Read(bytes, PrintLayoutDefaults());
    ASSERT_EQ(layout.Objects.size(), 5u);
    EXPECT_EQ(layout.Objects[0].FileName, QStringLiteral("b.bmp"));
    EXPECT_EQ(layout.Objects[1].Text, QStringLiteral("s"));
    EXPECT_EQ(layout.Objects[2].Text, QStringLiteral("a"));
    EXPECT_EQ(layout.Objects[3].Kind, LayoutObjectKind::Label);
    EXPECT_TRUE(layout.Objects[3].Text.isEmpty());
    EXPECT_EQ(layout.Objects[4].FileName, QStringLiteral("a.bmp"));
}

TEST_F(LayoutFile, NumbersTextsAndBytesAsTheIniReaderGivesThem) {
    const QByteArray bytes =
        "[PANEL]\r\nWIDTH=abc\r\nHEIGHT=0x1E\r\n"
        "[LABEL1]\r\nLEFT=$A\r\nTOP= 7 \r\nRIGHT=12mm\r\nBOTTOM=\r\nTYPE=258\r\nTEXT=   Cena   \r\n"
        "FONTSIZE=9.5\r\nFONTBOLD=2\r\nFONTITALIC=-1\r\nFONTUNDERLINE=yes\r\nFONTCOLOR=$FF\r\nALIGNMENT=513\r\n";
    const TLabelLayout layout = Read(bytes, DesignerLayoutDefaults());
    EXPECT_EQ(layout.Width, TMm(100));
    EXPECT_EQ(layout.Height, TMm(30));
    ASSERT_EQ(layout.Objects.size(), 1u);
    const TLayoutObject& o = layout.Objects[0];
    EXPECT_EQ(o.Left, TMm(10));
    EXPECT_EQ(o.Top, TMm(7));
    EXPECT_EQ(o.Right, TMm(0));
    EXPECT_EQ(o.Bottom, TMm(0));
    EXPECT_EQ(o.Type, 2);  // low byte of 258
    EXPECT_EQ(o.Text, QStringLiteral("Cena"));
    EXPECT_EQ(o.FontSize, 16);
    EXPECT_TRUE(o.FontBold);
    EXPECT_TRUE(o.FontItalic);
    EXPECT_FALSE(o.FontUnderline);
    EXPECT_EQ(o.FontColor, 255);
    EXPECT_EQ(o.Alignment, 1);  // low byte of 513
}

TEST_F(LayoutFile, PrintingCutsLongTextsTo255Characters) {
    const QString longText(600, QChar(u'ż'));
    TLabelLayout layout;
    TLayoutObject label = NameField();
    label.Text = longText;
    label.FontName = longText;
    layout.Objects.push_back(label);
    layout.Objects.push_back(Image(QStringLiteral("/tmp/") + longText));
    // A 2D code's template, a web address, is never cut.
    TLayoutObject code = MatrixCode(msQR, false);
    code.Text = QStringLiteral("https://sklep.example/") + QString(600, QLatin1Char('a'));
    layout.Objects.push_back(code);
    ASSERT_TRUE(SaveLayoutFile(Path(), layout));

    TLabelLayout print;
    ASSERT_TRUE(LoadLayoutFile(Path(), PrintLayoutDefaults(), print));
    ASSERT_EQ(print.Objects.size(), 3u);
    EXPECT_EQ(print.Objects[0].Text, longText.left(255));
    EXPECT_EQ(print.Objects[0].FontName, longText.left(255));
    EXPECT_EQ(print.Objects[1].FileName.size(), 255);
    EXPECT_EQ(print.Objects[2].Text, code.Text);
    EXPECT_EQ(print.Objects[2].FontName, code.FontName);

    TLabelLayout design;
    ASSERT_TRUE(LoadLayoutFile(Path(), DesignerLayoutDefaults(), design));
    EXPECT_EQ(design.Objects[0].Text, longText);
}

// A 2D code's section ends with its symbology and GS1 flag; no other kind
// writes or reads them, so older readers see one more kind they skip and two
// keys they never ask for.
TEST_F(LayoutFile, MatrixCodeKeysRoundTripOnlyForThatKind) {
    TLabelLayout layout;
    layout.Width = TMm(30);
    layout.Height = TMm(20);
    layout.Objects = {MatrixCode(msDataMatrix, true), NameField(), MatrixCode(msQR, false)};
    ASSERT_TRUE(SaveLayoutFile(Path(), layout));
    const QByteArray bytes = ReadAll(Path());
    EXPECT_TRUE(bytes.contains("[LABEL1]\r\nLEFT=1\r\nTOP=2\r\nRIGHT=29\r\nBOTTOM=7\r\nCLASS=LABEL\r\nTYPE=7\r\n"
                               "TEXT=https://id.gs1.org/01/{gtin}\r\nFONTNAME=Arial\r\nFONTSIZE=6\r\nFONTBOLD=0\r\n"
                               "FONTITALIC=0\r\nFONTUNDERLINE=0\r\nFONTCOLOR=0\r\nALIGNMENT=2\r\n"
                               "SYMBOL=DATAMATRIX\r\nGS1=1\r\n[LABEL2]"))
        << bytes.toStdString();
    EXPECT_TRUE(bytes.endsWith("ALIGNMENT=2\r\nSYMBOL=QR\r\nGS1=0\r\n")) << bytes.toStdString();
    EXPECT_EQ(bytes.count("SYMBOL="), 2);
    for (const TLayoutDefaults& defaults : {PrintLayoutDefaults(), DesignerLayoutDefaults()}) {
        TLabelLayout back;
        ASSERT_TRUE(LoadLayoutFile(Path(), defaults, back));
        EXPECT_EQ(back.Objects, layout.Objects);
    }

    // What the reader makes of the two keys, and that other kinds ignore them.
    const struct {
        const char* Type;
        const char* Keys;
        TMatrixSymbol Symbol;
        bool Gs1;
    } cases[] = {
        {"7", "SYMBOL=DATAMATRIX\r\nGS1=1\r\n", msDataMatrix, true},
        {"7", "SYMBOL=datamatrix\r\nGS1=2\r\n", msDataMatrix, true},
        {"7", "SYMBOL=QR\r\nGS1=0\r\n", msQR, false},
        {"7", "", msQR, false},
        {"7", "SYMBOL=AZTEC\r\nGS1=tak\r\n", msQR, false},
        {"7", "SYMBOL=Data Matrix\r\n", msQR, false},
        {"7", "SYMBOL=1\r\n", msQR, false},
        {"263", "SYMBOL=DATAMATRIX\r\n", msDataMatrix, false},  // low byte 7
        {"3", "SYMBOL=DATAMATRIX\r\nGS1=1\r\n", msQR, false},
        {"8", "SYMBOL=DATAMATRIX\r\nGS1=1\r\n", msQR, false},
    };
    for (const auto& c : cases) {
        const TLabelLayout read = Read(QByteArray("[LABEL1]\r\nTYPE=") + c.Type + "\r\n" + c.Keys, PrintLayoutDefaults());
        ASSERT_EQ(read.Objects.size(), 1u);
        EXPECT_EQ(read.Objects[0].Symbol, c.Symbol) << c.Type << " " << c.Keys;
        EXPECT_EQ(read.Objects[0].Gs1, c.Gs1) << c.Type << " " << c.Keys;
    }
}

TEST_F(LayoutFile, SavingErasesOldObjectsAndKeepsEverythingElse) {
    WriteAll(Path(),
             "; sklep\r\n[SHOP]\r\nNAME=Ry\x9C\r\n[PANEL]\r\nWIDTH=80\r\nCOMMENT=keep\r\n"
             "[LABEL1]\r\nTEXT=1\r\n[LABEL2]\r\nTEXT=2\r\n[IMAGE1]\r\nFILENAME=x\r\n[LABEL3]\r\nTEXT=3\r\n"
             "[LABEL4]\r\nTEXT=4\r\nOWN=old\r\n[LABEL100]\r\nTEXT=100\r\n[IMAGE100]\r\nFILENAME=y\r\n[label2]\r\nTEXT=dup\r\n");
    TLabelLayout layout;
    layout.Width = TMm(40);
    layout.Height = TMm(25);
    layout.Objects = {Label(1), Label(2)};
    ASSERT_TRUE(SaveLayoutFile(Path(), layout));

    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadSections(),
              QStringList({"SHOP", "PANEL", "LABEL100", "IMAGE100", "LABEL1", "LABEL2"}));
    EXPECT_EQ(ini.ReadString("SHOP", "NAME", {}), QStringLiteral("Ryś"));
    EXPECT_EQ(ini.ReadString("PANEL", "COMMENT", {}), QStringLiteral("keep"));
    EXPECT_EQ(ini.ReadInteger("PANEL", "WIDTH", 0), 40);
    EXPECT_EQ(ini.ReadString("LABEL2", "TEXT", {}), QStringLiteral("Napis 2"));
    // The old second copy of LABEL2 is gone with the first, so no old key mixes in.
    EXPECT_EQ(ini.ReadSection("LABEL2").size(), 14);
    EXPECT_EQ(ini.ReadString("LABEL100", "TEXT", {}), QStringLiteral("100"));
    EXPECT_TRUE(ReadAll(Path()).startsWith("; sklep\r\n[SHOP]\r\nNAME=Ry\x9C\r\n"));
}

TEST_F(LayoutFile, LabelsAndImagesAreNumberedSeparatelyInListOrder) {
    TLabelLayout layout;
    layout.Objects = {Image("a.bmp"), Label(1), Image("b.bmp"), Label(2), Label(3)};
    ASSERT_TRUE(SaveLayoutFile(Path(), layout));
    const TIniFile ini(Path());
    EXPECT_EQ(ini.ReadSections(), QStringList({"PANEL", "IMAGE1", "LABEL1", "IMAGE2", "LABEL2", "LABEL3"}));
    EXPECT_EQ(ini.ReadString("IMAGE2", "FILENAME", {}), QStringLiteral("b.bmp"));
    EXPECT_EQ(ini.ReadSection("IMAGE1"),
              QStringList({"LEFT", "TOP", "RIGHT", "BOTTOM", "FILENAME", "REALSIZE"}));
    EXPECT_EQ(ini.ReadString("IMAGE1", "REALSIZE", {}), QStringLiteral("0"));
}

TEST_F(LayoutFile, MoreThan99LabelsAreWrittenAndReadBack) {
    TLabelLayout layout;
    for (int i = 1; i <= 120; ++i) layout.Objects.push_back(Label(i));
    ASSERT_TRUE(SaveLayoutFile(Path(), layout));
    TLabelLayout back;
    ASSERT_TRUE(LoadLayoutFile(Path(), PrintLayoutDefaults(), back));
    ASSERT_EQ(back.Objects.size(), 120u);
    EXPECT_EQ(back.Objects[119].Text, QStringLiteral("Napis 120"));
    EXPECT_EQ(back.Objects[99].Left, TMm(100));

    // Saving again overwrites LABEL100 and above key by key (they are never
    // erased) and appends LABEL1 to LABEL99 after them: no object is doubled.
    ASSERT_TRUE(SaveLayoutFile(Path(), layout));
    ASSERT_TRUE(LoadLayoutFile(Path(), PrintLayoutDefaults(), back));
    ASSERT_EQ(back.Objects.size(), 120u);
    EXPECT_EQ(back.Objects[0].Text, QStringLiteral("Napis 100"));
    EXPECT_EQ(back.Objects[20].Text, QStringLiteral("Napis 120"));
    EXPECT_EQ(back.Objects[21].Text, QStringLiteral("Napis 1"));
}

TEST_F(LayoutFile, MissingFileReadsAsEmptyAndUnwritablePlacesFail) {
    TLabelLayout layout;
    ASSERT_TRUE(LoadLayoutFile(Path("missing.etk"), DesignerLayoutDefaults(), layout));
    EXPECT_EQ(layout.Width, TMm(100));
    EXPECT_EQ(layout.Height, TMm(50));
    EXPECT_TRUE(layout.Objects.empty());

    EXPECT_FALSE(SaveLayoutFile(Dir.filePath("no/such/folder/x.etk"), layout));
    ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.etk"));
    EXPECT_FALSE(SaveLayoutFile(Dir.filePath("folder.etk"), layout));
    EXPECT_FALSE(LoadLayoutFile(Dir.filePath("folder.etk"), DesignerLayoutDefaults(), layout));
}

TEST_F(LayoutFile, BadFilesGiveDefaultsNotFailures) {
    // UTF-8 instead of Windows-1250: the numbers still count, the text is read
    // byte by byte.
    TLabelLayout utf8 = Read(QStringLiteral("[PANEL]\nWIDTH=58\n[LABEL1]\nLEFT=4\nTEXT=Cena za jednostkę\n").toUtf8(),
                             PrintLayoutDefaults());
    EXPECT_EQ(utf8.Width, TMm(58));
    ASSERT_EQ(utf8.Objects.size(), 1u);
    EXPECT_EQ(utf8.Objects[0].Left, TMm(4));
    EXPECT_TRUE(utf8.Objects[0].Text.startsWith(QStringLiteral("Cena za jednostk")));

    // Binary noise with NUL bytes and no structure.
    QByteArray noise;
    for (int i = 0; i < 4096; ++i) noise.append(static_cast<char>((i * 7919) % 256));
    noise.append("\n[LABEL9\n=\n[IMAGE]\nFILENAME\n");
    const TLabelLayout garbage = Read(noise, DesignerLayoutDefaults());
    EXPECT_EQ(garbage.Width, TMm(100));

    // Ten thousand sections are read in one pass each.
    QByteArray many = "[PANEL]\r\nWIDTH=30\r\n";
    for (int i = 1; i <= 10000; ++i) many += "[LABEL" + QByteArray::number(i) + "]\r\nLEFT=" + QByteArray::number(i % 30) + "\r\nTEXT=t\r\n";
    const TLabelLayout big = Read(many, PrintLayoutDefaults());
    ASSERT_EQ(big.Objects.size(), 10000u);
    EXPECT_EQ(big.Objects[9999].Left, TMm(10000 % 30));
}
