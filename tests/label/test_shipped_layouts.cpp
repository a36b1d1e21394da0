#include "inifile.h"
#include "layout.h"
#include "layoutpaths.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

namespace {

QStringList ShippedLayouts() {
    return QDir(SourceDataDir() + QStringLiteral("/LABELS")).entryList({QStringLiteral("*.etk")}, QDir::Files, QDir::Name);
}

}  // namespace

TEST(ShippedLayouts, DefaultLayoutHoldsTheFourGoodsFields) {
    TLabelLayout layout;
    ASSERT_TRUE(LoadLayoutFile(SourceDataDir() + QStringLiteral("/LABELS/30x20.etk"), PrintLayoutDefaults(), layout));
    EXPECT_EQ(layout.Width, TMm(30));
    EXPECT_EQ(layout.Height, TMm(20));
    std::set<int> types;
    for (const TLayoutObject& o : layout.Objects) types.insert(o.Type);
    EXPECT_EQ(types, (std::set<int>{ctPrice, ctName, ctAbsPrice, ctCode}));
}

TEST(ShippedLayouts, EachIsSoundAndExactlyWhatTheWriterProduces) {
    const QStringList names = ShippedLayouts();
    ASSERT_GE(names.size(), 3);
    QTemporaryDir dir;
    for (const QString& name : names) {
        const QString path = SourceDataDir() + QStringLiteral("/LABELS/") + name;
        TLabelLayout layout;
        ASSERT_TRUE(LoadLayoutFile(path, DesignerLayoutDefaults(), layout)) << name.toStdString();
        ASSERT_FALSE(layout.Objects.empty()) << name.toStdString();
        bool hasPrice = false;
        for (const TLayoutObject& o : layout.Objects) {
            SCOPED_TRACE(name.toStdString() + " " + o.Text.toStdString());
            EXPECT_GE(o.Left, TMm(0));
            EXPECT_GE(o.Top, TMm(0));
            EXPECT_LE(o.Right, layout.Width);
            EXPECT_LE(o.Bottom, layout.Height);
            EXPECT_GT(o.Width(), TMm(0));
            EXPECT_GT(o.Height(), TMm(0));
            EXPECT_TRUE(o.Type <= ctUserLabel || o.Type == ctMatrixCode) << int(o.Type);
            EXPECT_LE(o.Alignment, taCenter);
            hasPrice = hasPrice || o.Type == ctPrice;
        }
        EXPECT_TRUE(hasPrice) << name.toStdString();
        // Rewriting reproduces the file byte for byte: the files are in the
        // designer's own form (key order, line ends, code page).
        const QString copy = dir.filePath(name);
        ASSERT_TRUE(SaveLayoutFile(copy, layout));
        EXPECT_EQ(ReadAll(copy), ReadAll(path)) << name.toStdString();
    }
}

TEST(LayoutPaths, BareNamesLiveInTheLabelsFolder) {
    TempDataHome home;
    const QString labels = home.dataFolder() + QStringLiteral("LABELS/");
    EXPECT_EQ(LayoutsFolder(), labels);
    EXPECT_EQ(LayoutFullPath(QStringLiteral("30x20.etk")), labels + QStringLiteral("30x20.etk"));
    EXPECT_EQ(LayoutFullPath(QStringLiteral("/srv/shop/a.etk")), QStringLiteral("/srv/shop/a.etk"));
    EXPECT_EQ(LayoutDisplayName(labels + QStringLiteral("58x40.etk")), QStringLiteral("58x40.etk"));
    EXPECT_EQ(LayoutDisplayName(QStringLiteral("/srv/shop/a.etk")), QStringLiteral("/srv/shop/a.etk"));
    EXPECT_EQ(LayoutDisplayName(labels + QStringLiteral("sub/b.etk")), labels + QStringLiteral("sub/b.etk"));
    // The folder test is made with case.
    QString upper = labels;
    upper.replace(QStringLiteral("LABELS"), QStringLiteral("labels"));
    EXPECT_EQ(LayoutDisplayName(upper + QStringLiteral("c.etk")), upper + QStringLiteral("c.etk"));
}
