#include "aligner.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleFactory>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kEditHeight = 27;
constexpr int kButton = 20;

enum class Holder { Panel, GroupBox };
enum class Edit { OnWindow, OnToolbar, None };
enum class Result { Companion, Square, Untouched };

struct BrowseCase {
    const char* name;
    const char* style;
    Holder holder;
    QPoint at;
    const char* caption;
    Edit edit;
    Result result;
};

// A dialog with an edit box at (10, 10) and a browse button right of it.
struct BrowseWindow {
    QDialog window;
    std::unique_ptr<QStyle> style;
    QToolButton* browse = nullptr;
    QWidget* holder = nullptr;
    int clicks = 0;

    explicit BrowseWindow(const BrowseCase& c) {
        window.resize(300, 100);
        if (c.edit != Edit::None) {
            QWidget* parent = &window;
            if (c.edit == Edit::OnToolbar) parent = new QToolBar(&window);
            auto* edit = new QLineEdit(parent);
            edit->setGeometry(10, 10, 200, kEditHeight);
        }
        if (c.holder == Holder::Panel) {
            browse = BrowseButton(&window, QStringLiteral("SpeedButton1"), QString::fromUtf8("Wybierz katalog"), kButton);
            holder = browse->parentWidget();
            holder->move(212, 10);
        } else {
            holder = new QGroupBox(&window);
            holder->setGeometry(212, 10, kButton, kButton);
            browse = new QToolButton(holder);
            browse->setGeometry(0, 0, kButton, kButton);
        }
        browse->move(c.at);
        browse->setText(QString::fromUtf8(c.caption));
        browse->setProperty("Tag", 7);
        QObject::connect(browse, &QToolButton::clicked, [this] { ++clicks; });
        if (c.style) {
            style.reset(QStyleFactory::create(QString::fromUtf8(c.style)));
            window.setStyle(style.get());
        }
    }
    int Companions() const { return int(holder->findChildren<QPushButton*>().size()); }
};

const BrowseCase kBrowseCases[] = {
    {"ThemedStyleGetsACompanion", "Fusion", Holder::Panel, {0, 0}, "", Edit::OnWindow, Result::Companion},
    {"ClassicStyleMakesItSquare", "Windows", Holder::Panel, {0, 0}, "", Edit::OnWindow, Result::Square},
    {"NotAtTheOrigin", "Fusion", Holder::Panel, {1, 0}, "", Edit::OnWindow, Result::Untouched},
    {"NotAtTheOriginClassic", "Windows", Holder::Panel, {0, 1}, "", Edit::OnWindow, Result::Untouched},
    {"WithACaption", "Fusion", Holder::Panel, {0, 0}, "...", Edit::OnWindow, Result::Untouched},
    {"NotInAPanel", "Fusion", Holder::GroupBox, {0, 0}, "", Edit::OnWindow, Result::Untouched},
    {"OnlyAToolbarEdit", "Fusion", Holder::Panel, {0, 0}, "", Edit::OnToolbar, Result::Untouched},
    {"NoEditBox", "Windows", Holder::Panel, {0, 0}, "", Edit::None, Result::Untouched},
};

TEST(Aligner, BrowseButtons) {
    for (const BrowseCase& c : kBrowseCases) {
        SCOPED_TRACE(c.name);
        TAligner::TState state;
        BrowseWindow w(c);
        new TAligner(&w.window, state);
        const QRect holderBefore = w.holder->geometry();
        w.window.show();
        EXPECT_EQ(state.MaxEditHeight, c.edit == Edit::OnWindow ? kEditHeight : -1);
        EXPECT_EQ(TAligner::Themed(w.window.style()), QByteArray(c.style) != "Windows");
        QPushButton* companion = TAligner::Companion(w.browse);
        switch (c.result) {
        case Result::Companion:
            ASSERT_TRUE(companion);
            EXPECT_EQ(companion->text(), QString::fromUtf8("···"));
            EXPECT_EQ(companion->geometry(), QRect(0, 0, kEditHeight, kEditHeight));
            EXPECT_TRUE(companion->isVisible());
            EXPECT_EQ(companion->property("Tag").toInt(), 7);
            EXPECT_EQ(companion->accessibleName(), QString::fromUtf8("Wybierz katalog"));
            // The panel keeps its right edge and top; the browse button leaves its sight.
            EXPECT_EQ(w.holder->geometry(), QRect(holderBefore.right() + 1 - kEditHeight, holderBefore.top(),
                                                  kEditHeight, kEditHeight));
            EXPECT_GE(w.browse->x(), w.holder->width());
            EXPECT_FALSE(w.browse->isHidden());
            break;
        case Result::Square:
            EXPECT_FALSE(companion);
            EXPECT_EQ(w.browse->geometry(), QRect(0, 0, kEditHeight, kEditHeight));
            EXPECT_EQ(w.holder->geometry(), holderBefore);
            break;
        case Result::Untouched:
            EXPECT_FALSE(companion);
            EXPECT_EQ(w.Companions(), 0);
            EXPECT_EQ(w.browse->geometry(), QRect(c.at, QSize(kButton, kButton)));
            EXPECT_EQ(w.holder->geometry(), holderBefore);
            break;
        }
    }
}

TEST(Aligner, CompanionFollowsTheBrowseButtonAndIsMadeOnce) {
    const BrowseCase& c = kBrowseCases[0];
    TAligner::TState state;
    BrowseWindow w(c);
    new TAligner(&w.window, state);
    w.window.show();
    QPushButton* companion = TAligner::Companion(w.browse);
    ASSERT_TRUE(companion);

    w.browse->setEnabled(false);
    EXPECT_FALSE(companion->isEnabled());
    companion->click();
    EXPECT_EQ(w.clicks, 0);
    w.browse->setEnabled(true);
    EXPECT_TRUE(companion->isEnabled());
    companion->click();
    EXPECT_EQ(w.clicks, 1);
    // The window shows and hides the browse button by what there is to browse.
    w.browse->hide();
    EXPECT_TRUE(companion->isHidden());
    EXPECT_TRUE(w.holder->isHidden());  // nothing left in the way of what takes its place
    w.browse->show();
    EXPECT_FALSE(companion->isHidden());
    EXPECT_FALSE(w.holder->isHidden());

    w.window.hide();
    w.window.show();
    EXPECT_EQ(w.Companions(), 1);
    EXPECT_EQ(TAligner::Companion(w.browse), companion);
}

struct FontCase {
    const char* name;
    qreal windowExtra;  // the window's font size above the designed one
    qreal ownExtra;     // a control's own font size above the designed one; < 0: no font of its own
    qreal expectedExtra;
};

// The program's windows use the font they are designed with: nothing changes.
const FontCase kFontCases[] = {
    {"WindowAtTheDesignedSize", 0, 0, 0},
    {"WindowAtTheDesignedSizeOtherOwnSize", 0, 3, 3},
    {"LargerWindowOwnFontAtTheDesignedSize", 2, 0, 2},
    {"LargerWindowOwnFontOfAnotherSize", 2, 3, 3},
    {"LargerWindowNoOwnFont", 2, -1, 2},
};

TEST(Aligner, FontsFollowTheWindowOnlyFromTheDesignedSize) {
    const qreal designed = QApplication::font().pointSizeF();
    for (const FontCase& c : kFontCases) {
        SCOPED_TRACE(c.name);
        TAligner::TState state;
        QDialog window;
        new TAligner(&window, state);
        QFont windowFont = window.font();
        windowFont.setPointSizeF(designed + c.windowExtra);
        window.setFont(windowFont);
        auto* group = new QGroupBox(&window);
        QList<QWidget*> controls = {new QLabel(group), new QCheckBox(group), new QPushButton(group),
                                    new QLineEdit(group), new QComboBox(group), group};
        for (QWidget* control : controls) {
            if (c.ownExtra < 0) continue;
            QFont own = control->font();
            own.setBold(true);
            own.setPointSizeF(designed + c.ownExtra);
            control->setFont(own);
        }
        window.show();
        for (QWidget* control : controls) {
            EXPECT_EQ(control->font().pointSizeF(), designed + c.expectedExtra) << control->metaObject()->className();
            EXPECT_EQ(control->font().bold(), c.ownExtra >= 0) << control->metaObject()->className();
        }
    }
}

}  // namespace
