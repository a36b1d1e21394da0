#include "designio.h"
#include "inifile.h"
#include "testsupport.h"
#include "units.h"

#include <QDir>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QByteArray kExample =
    "[PANEL]\r\nWIDTH=30\r\nHEIGHT=20\r\n"
    "[LABEL1]\r\nLEFT=1\r\nTOP=2\r\nRIGHT=29\r\nBOTTOM=7\r\nCLASS=LABEL\r\nTYPE=1\r\nTEXT=Nazwa\r\n"
    "FONTNAME=Arial\r\nFONTSIZE=8\r\nFONTBOLD=1\r\nFONTITALIC=0\r\nFONTUNDERLINE=0\r\nFONTCOLOR=0\r\nALIGNMENT=2\r\n";

// A 2D code, Data Matrix with GS1 data, with the keys of its kind.
const QByteArray kMatrixCode =
    "[LABEL2]\r\nLEFT=12\r\nTOP=3\r\nRIGHT=29\r\nBOTTOM=19\r\nCLASS=LABEL\r\nTYPE=7\r\nTEXT={gtin}\r\n"
    "FONTNAME=Arial\r\nFONTSIZE=6\r\nFONTBOLD=0\r\nFONTITALIC=0\r\nFONTUNDERLINE=0\r\nFONTCOLOR=0\r\nALIGNMENT=0\r\n"
    "SYMBOL=DATAMATRIX\r\nGS1=1\r\n";

class Design : public ::testing::Test {
protected:
    void SetUp() override {
        Panel.resize(400, 300);
        Panel.show();
    }
    QString Path(const QString& name = QStringLiteral("d.etk")) const { return Dir.filePath(name); }
    QString Picture(const QString& name = QStringLiteral("p.bmp")) const {
        QImage img(12, 8, QImage::Format_RGB32);
        img.fill(QColor(0, 128, 0));
        const QString path = Dir.filePath(name);
        EXPECT_TRUE(img.save(path, "BMP"));
        return path;
    }
    TdcLabel* Label(const QString& text, quint8 scale = 2) {
        auto* l = new TdcLabel(&Panel, scale);
        l->SetText(text);
        return l;
    }
    QList<TdcComponent*> Objects() const { return DesignObjects(&Panel); }

    QTemporaryDir Dir;
    TDesignPanel Panel;
};

}  // namespace

TEST_F(Design, ExampleFileSurvivesLoadAndSaveByteForByte) {
    WriteAll(Path("in.etk"), kExample + kMatrixCode);
    ASSERT_TRUE(LoadDesign(&Panel, Path("in.etk"), 2));
    ASSERT_EQ(Objects().size(), 2);
    auto* label = qobject_cast<TdcLabel*>(Objects()[0]);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->AType(), ctName);
    EXPECT_EQ(label->Text(), QStringLiteral("Nazwa"));
    EXPECT_EQ(label->FontSize(), 8);
    EXPECT_EQ(label->FontPointSize(), 16);
    EXPECT_TRUE(label->FontBold());
    EXPECT_EQ(label->Alignment(), taCenter);
    EXPECT_TRUE(label->Select());  // the first object is selected after loading
    EXPECT_EQ(Panel.width(), MmToPixelsX(Panel, 30, 2));
    EXPECT_EQ(label->Left(), MmToPixelsX(Panel, 1, 2));
    EXPECT_EQ(label->Width(), MmToPixelsX(Panel, 29, 2) - MmToPixelsX(Panel, 1, 2));

    auto* code = qobject_cast<TdcLabel*>(Objects()[1]);
    ASSERT_TRUE(code);
    EXPECT_EQ(code->AType(), ctMatrixCode);
    EXPECT_EQ(code->Symbol(), msDataMatrix);
    EXPECT_TRUE(code->Gs1());

    ASSERT_TRUE(SaveDesign(&Panel, Path("out.etk"), 2));
    EXPECT_EQ(ReadAll(Path("out.etk")), kExample + kMatrixCode);
}

TEST_F(Design, NewObjectMeasuresAt96Dpi) {
    if (Panel.logicalDpiX() != 96 || Panel.logicalDpiY() != 96) GTEST_SKIP() << "screen is not at 96 dpi";
    Label(QStringLiteral("a"), 2);
    ASSERT_TRUE(SaveDesign(&Panel, Path(), 2));
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadInteger("LABEL1", "LEFT", -1), 0);
    EXPECT_EQ(ini.ReadInteger("LABEL1", "RIGHT", -1), 22);
    EXPECT_EQ(ini.ReadInteger("LABEL1", "BOTTOM", -1), 5);
    EXPECT_EQ(ini.ReadInteger("LABEL1", "FONTSIZE", -1), 7);
    qDeleteAll(Objects());
    Label(QStringLiteral("a"), 1);
    ASSERT_TRUE(SaveDesign(&Panel, Path(), 1));
    TIniFile again(Path());
    EXPECT_EQ(again.ReadInteger("LABEL1", "RIGHT", -1), 45);
    EXPECT_EQ(again.ReadInteger("LABEL1", "BOTTOM", -1), 9);
    EXPECT_EQ(again.ReadInteger("LABEL1", "FONTSIZE", -1), 15);
}

TEST_F(Design, RoundTripKeepsEveryEdgeWithinHalfAMillimetre) {
    QRandomGenerator rng(20261209);
    for (quint8 scale : {1, 2, 5}) {
        qDeleteAll(Objects());
        Panel.resize(600 * scale, 400 * scale);
        std::vector<QRect> boxes;
        for (int i = 0; i < 12; ++i) {
            TdcLabel* l = Label(QStringLiteral("o%1").arg(i), scale);
            const QRect r(rng.bounded(0, 500 * scale), rng.bounded(0, 300 * scale), rng.bounded(11, 90 * scale),
                          rng.bounded(10, 90 * scale));
            l->setGeometry(r);
            boxes.push_back(r);
        }
        ASSERT_TRUE(SaveDesign(&Panel, Path(), scale));
        ASSERT_TRUE(LoadDesign(&Panel, Path(), scale));
        const QList<TdcComponent*> back = Objects();
        ASSERT_EQ(back.size(), 12);
        // Half a millimetre in pixels, rounded up: 2, 4 and 9 at 96 dpi.
        const int tolX = (Panel.logicalDpiX() * scale + 50) / 51 + 1;
        const int tolY = (Panel.logicalDpiY() * scale + 50) / 51 + 1;
        for (TdcComponent* c : back) {
            // The first object was selected and brought to the front; match by text.
            const int i = qobject_cast<TdcLabel*>(c)->Text().mid(1).toInt();
            const QRect want = boxes[i];
            SCOPED_TRACE(QStringLiteral("scale %1 object %2").arg(scale).arg(i).toStdString());
            EXPECT_LE(std::abs(c->Left() - want.left()), tolX);
            EXPECT_LE(std::abs(c->Top() - want.top()), tolY);
            EXPECT_LE(std::abs(c->Left() + c->Width() - (want.left() + want.width())), tolX);
            EXPECT_LE(std::abs(c->Top() + c->Height() - (want.top() + want.height())), tolY);
        }
    }
}

TEST_F(Design, SaveNumbersByChildOrderAndErasesOldSections) {
    WriteAll(Path(), "[KEEP]\r\nA=1\r\n[LABEL1]\r\nTEXT=x\r\n[LABEL2]\r\n[LABEL3]\r\n[LABEL4]\r\n[IMAGE3]\r\n"
                     "[LABEL100]\r\nTEXT=far\r\n[IMAGE100]\r\n");
    TdcLabel* a = Label(QStringLiteral("a"));
    Label(QStringLiteral("b"));
    auto* image = new TdcImage(&Panel, 2);
    image->SetFileName(Picture());
    a->SetSelect(true);  // brings it to the front: b, a
    // A child of the panel that is no label object is left alone.
    auto* other = new QWidget(&Panel);
    other->setObjectName("other");

    ASSERT_TRUE(SaveDesign(&Panel, Path(), 2));
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadSections(), QStringList({"KEEP", "LABEL100", "IMAGE100", "PANEL", "IMAGE1", "LABEL1", "LABEL2"}));
    EXPECT_EQ(ini.ReadString("LABEL1", "TEXT", {}), QStringLiteral("b"));
    EXPECT_EQ(ini.ReadString("LABEL2", "TEXT", {}), QStringLiteral("a"));
    EXPECT_EQ(ini.ReadString("IMAGE1", "FILENAME", {}), Picture());
    EXPECT_EQ(ini.ReadString("IMAGE1", "REALSIZE", {}), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString("LABEL100", "TEXT", {}), QStringLiteral("far"));
    EXPECT_EQ(Panel.findChild<QWidget*>("other"), other);
}

TEST_F(Design, LoadPutsImagesBehindLabelsAndSelectsTheFirstObject) {
    const QString p1 = Picture("one.bmp");
    const QString p2 = Picture("two.bmp");
    WriteAll(Path(), ("[PANEL]\r\nWIDTH=60\r\nHEIGHT=40\r\n"
                      "[LABEL1]\r\nTEXT=first\r\n[IMAGE1]\r\nLEFT=1\r\nTOP=1\r\nRIGHT=5\r\nBOTTOM=9\r\nFILENAME=" + p1 +
                      "\r\n[LABEL2]\r\nTEXT=second\r\n[IMAGE2]\r\nFILENAME=" + p2 + "\r\nREALSIZE=0\r\n")
                         .toLatin1());
    QStringList events;
    TDesignHooks hooks;
    hooks.OnSelect = [&](TdcComponent* c) {
        auto* i = qobject_cast<TdcImage*>(c);
        events << (i ? QFileInfo(i->FileName()).fileName() : qobject_cast<TdcLabel*>(c)->Text());
    };
    hooks.BeforeSelectFirst = [&] { events << QStringLiteral("toolbars"); };
    ASSERT_TRUE(LoadDesign(&Panel, Path(), 1, hooks));
    EXPECT_EQ(events, QStringList({"toolbars", "one.bmp"}));

    // Loaded as printed: the pictures in file order behind the texts in file
    // order; the first object is selected where it lies.
    const QList<TdcComponent*> order = Objects();
    ASSERT_EQ(order.size(), 4);
    EXPECT_EQ(qobject_cast<TdcImage*>(order[0])->FileName(), p1);
    EXPECT_EQ(qobject_cast<TdcImage*>(order[1])->FileName(), p2);
    EXPECT_EQ(qobject_cast<TdcLabel*>(order[2])->Text(), QStringLiteral("first"));
    EXPECT_EQ(qobject_cast<TdcLabel*>(order[3])->Text(), QStringLiteral("second"));
    EXPECT_TRUE(order[0]->Select());
    EXPECT_FALSE(qobject_cast<TdcImage*>(order[1])->RealSize());
    // Selecting a picture brings it forward among the pictures only.
    order[0]->SetSelect(true);
    EXPECT_EQ(Objects(), QList<TdcComponent*>({order[1], order[0], order[2], order[3]}));
    order[0]->SetSelect(false);
    order[1]->SetSelect(true);
    // The box in the file wins over the picture's own size.
    auto* one = qobject_cast<TdcImage*>(order[0]);
    EXPECT_EQ(one->Width(), MmToPixelsX(Panel, 5, 1) - MmToPixelsX(Panel, 1, 1));
    EXPECT_EQ(one->Height(), MmToPixelsY(Panel, 9, 1) - MmToPixelsY(Panel, 1, 1));
    // Every loaded object carries the designer's handlers.
    for (TdcComponent* c : order) EXPECT_TRUE(static_cast<bool>(c->OnSelect));

    // The next save numbers the objects in their new order.
    ASSERT_TRUE(SaveDesign(&Panel, Path(), 1));
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("IMAGE1", "FILENAME", {}), p1);
    EXPECT_EQ(ini.ReadString("IMAGE2", "FILENAME", {}), p2);
}

TEST_F(Design, DesignerDefaultsAndBrokenPictures) {
    WriteAll(Path(), "[LABEL]\r\n[IMAGE1]\r\nFILENAME=/no/such/picture.bmp\r\n[IMAGE2]\r\n[label9]\r\n[XIMAGE1]\r\n");
    Label(QStringLiteral("replaced"));
    ASSERT_TRUE(LoadDesign(&Panel, Path(), 3));
    EXPECT_EQ(Panel.width(), MmToPixelsX(Panel, 100, 3));
    EXPECT_EQ(Panel.height(), MmToPixelsY(Panel, 50, 3));
    const QList<TdcComponent*> order = Objects();
    ASSERT_EQ(order.size(), 1);
    auto* label = qobject_cast<TdcLabel*>(order[0]);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->AType(), ctUserLabel);
    EXPECT_EQ(label->Text(), QStringLiteral("??????"));
    EXPECT_EQ(label->FontName(), QStringLiteral("Arial"));
    EXPECT_EQ(label->FontSize(), 16);
    EXPECT_EQ(label->FontPointSize(), 48);
    EXPECT_EQ(label->Scale(), 3);

    // The dropped image keeps its section until the layout is saved again.
    EXPECT_TRUE(TIniFile(Path()).SectionExists("IMAGE1"));
    ASSERT_TRUE(SaveDesign(&Panel, Path(), 3));
    EXPECT_FALSE(TIniFile(Path()).SectionExists("IMAGE1"));
}

TEST_F(Design, MissingFileIsAnEmptyLabelAndBadPlacesFail) {
    Label(QStringLiteral("x"));
    ASSERT_TRUE(LoadDesign(&Panel, Path("missing.etk"), 2));
    EXPECT_TRUE(Objects().isEmpty());
    EXPECT_EQ(Panel.width(), MmToPixelsX(Panel, 100, 2));
    EXPECT_FALSE(QFileInfo::exists(Path("missing.etk")));

    EXPECT_FALSE(SaveDesign(&Panel, Dir.filePath("none/x.etk"), 2));
    ASSERT_TRUE(QDir(Dir.path()).mkdir("dir.etk"));
    EXPECT_FALSE(SaveDesign(&Panel, Path("dir.etk"), 2));
    Label(QStringLiteral("x"));
    EXPECT_FALSE(LoadDesign(&Panel, Path("dir.etk"), 2));
    EXPECT_TRUE(Objects().isEmpty());
}

TEST_F(Design, GarbageNumbersAndHugeValuesDoNotBreakTheDesigner) {
    WriteAll(Path(), "[PANEL]\r\nWIDTH=2147483647\r\nHEIGHT=-40\r\n"
                     "[LABEL1]\r\nLEFT=-2147483648\r\nRIGHT=2147483647\r\nTOP=9\r\nBOTTOM=3\r\nFONTSIZE=2147483647\r\n"
                     "ALIGNMENT=77\r\nTEXT=\"  quoted  \"\r\n"
                     "[LABEL2]\r\nLEFT=x\r\nFONTSIZE=-5\r\nFONTCOLOR=-1\r\n");
    ASSERT_TRUE(LoadDesign(&Panel, Path(), 5));
    const QList<TdcComponent*> order = Objects();
    ASSERT_EQ(order.size(), 2);
    // In file order: loading selects the first object where it lies.
    EXPECT_GE(order[0]->Height(), 0);
    EXPECT_GE(order[1]->Height(), 0);
    EXPECT_EQ(qobject_cast<TdcLabel*>(order[0])->Text(), QStringLiteral("  quoted  "));
    // Painting and saving such objects must work.
    Panel.grab();
    ASSERT_TRUE(SaveDesign(&Panel, Path("out.etk"), 5));
    TLabelLayout back;
    ASSERT_TRUE(LoadLayoutFile(Path("out.etk"), DesignerLayoutDefaults(), back));
    EXPECT_EQ(back.Objects.size(), 2u);
}

TEST_F(Design, PngAndJpegPicturesRoundTripThroughTheFile) {
    QImage img(30, 20, QImage::Format_RGB32);
    img.fill(QColor(200, 30, 30));
    const QString png = Dir.filePath("logo.png");
    const QString jpg = Dir.filePath("photo.jpg");
    ASSERT_TRUE(img.save(png, "PNG"));
    ASSERT_TRUE(img.save(jpg, "JPEG"));
    for (const QString& path : {png, jpg}) {
        auto* image = new TdcImage(&Panel, 1);
        image->move(40, 30);
        image->SetFileName(path);
        ASSERT_FALSE(image->LoadError()) << path.toStdString();
        EXPECT_EQ(image->size(), QSize(30, 20));
    }
    ASSERT_TRUE(SaveDesign(&Panel, Path(), 1));
    ASSERT_TRUE(LoadDesign(&Panel, Path(), 1));
    QStringList files;
    for (TdcComponent* c : Objects()) files << qobject_cast<TdcImage*>(c)->FileName();
    files.sort();
    QStringList want{png, jpg};
    want.sort();
    EXPECT_EQ(files, want);
}

TEST_F(Design, TenThousandSectionsLoadAndSave) {
    // Loading and saving stay linear in the number of sections.
    const int n = 10000;
    QByteArray many = "[PANEL]\r\nWIDTH=80\r\nHEIGHT=60\r\n";
    for (int i = 1; i <= n; ++i)
        many += "[LABEL" + QByteArray::number(i) + "]\r\nLEFT=" + QByteArray::number(i % 70) + "\r\nRIGHT=" +
                QByteArray::number(i % 70 + 5) + "\r\nTEXT=t" + QByteArray::number(i) + "\r\n";
    WriteAll(Path(), many);
    ASSERT_TRUE(LoadDesign(&Panel, Path(), 1));
    ASSERT_EQ(Objects().size(), n);
    ASSERT_TRUE(SaveDesign(&Panel, Path("out.etk"), 1));
    TLabelLayout back;
    ASSERT_TRUE(LoadLayoutFile(Path("out.etk"), PrintLayoutDefaults(), back));
    EXPECT_EQ(back.Objects.size(), size_t(n));
}

TEST_F(Design, PanelReportsClicksOnItselfOnly) {
    int clicks = 0;
    QObject::connect(&Panel, &TDesignPanel::clicked, [&] { ++clicks; });
    TdcLabel* label = Label(QStringLiteral("x"));
    label->move(100, 100);
    QTest::mouseClick(&Panel, Qt::LeftButton, Qt::NoModifier, {10, 10});
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, {10, 10});
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(label->Select());
    QTest::mouseClick(&Panel, Qt::RightButton, Qt::NoModifier, {10, 10});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Panel.objectName(), QStringLiteral("plProjDesign"));
}
