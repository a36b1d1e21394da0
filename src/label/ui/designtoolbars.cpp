#include "designtoolbars.h"

#include "layout.h"
#include "ownicon.h"
#include "plcolorbox.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace {

constexpr const char* kTag = "Tag";
constexpr int kIconSize = 24;

enum class TBar { Main, LabelProp, Compo };
enum class TGroup { None, Alignment, Size, Kind };

// One tool button: a plain one (Plain) or one of the check style (Check).
struct TButtonDef {
    QToolButton* TDesignControls::*Plain;
    TCheckToolButton* TDesignControls::*Check;
    const char* Name;
    const char* Hint;
    int Tag;
    TBar Bar;
    TGroup Group;
    bool SeparatorBefore;
    const char* Theme;  // freedesktop icon name, or empty
    const char* Own;    // our drawing in :/designer/
};

using C = TDesignControls;
const TButtonDef kButtons[] = {
    {&C::tbOpen, nullptr, "tbOpen", "Otwórz", 0, TBar::Main, TGroup::None, false, "document-open", "open"},
    {&C::tbSave, nullptr, "tbSave", "Zapisz", 0, TBar::Main, TGroup::None, false, "document-save", "save"},
    {&C::tbSaveAs, nullptr, "tbSaveAs", "Zapisz jako...", 0, TBar::Main, TGroup::None, false, "document-save-as",
     "saveas"},
    {&C::tbLabelSize, nullptr, "tbLabelSize", "Rozmiar etykiety", 0, TBar::Main, TGroup::None, true, "", "labelsize"},
    {&C::tbShow, nullptr, "tbShow", "Podgląd wydruku", 0, TBar::Main, TGroup::None, false, "document-print-preview",
     "preview"},
    {&C::tbZoomIn, nullptr, "tbZoomIn", "Powiększ", 0, TBar::Main, TGroup::None, true, "zoom-in", "zoomin"},
    {&C::tbZoomOut, nullptr, "tbZoomOut", "Pomniejsz", 0, TBar::Main, TGroup::None, false, "zoom-out", "zoomout"},
    {&C::tbUndo, nullptr, "tbUndo", "Cofnij", 0, TBar::Main, TGroup::None, true, "edit-undo", "undo"},
    {&C::tbRedo, nullptr, "tbRedo", "Ponów", 0, TBar::Main, TGroup::None, false, "edit-redo", "redo"},

    {nullptr, &C::tbLeft, "tbLeft", "Wyrównaj do lewej", taLeftJustify, TBar::LabelProp, TGroup::Alignment, true,
     "format-justify-left", "alignleft"},
    {nullptr, &C::tbCenter, "tbCenter", "Wyrównaj do środka", taCenter, TBar::LabelProp, TGroup::Alignment, false,
     "format-justify-center", "aligncenter"},
    {nullptr, &C::tbRight, "tbRight", "Wyrównaj do prawej", taRightJustify, TBar::LabelProp, TGroup::Alignment, false,
     "format-justify-right", "alignright"},
    {nullptr, &C::tbBold, "tbBold", "Pogrubienie", fsBold, TBar::LabelProp, TGroup::None, true, "format-text-bold", "bold"},
    {nullptr, &C::tbItalic, "tbItalic", "Kursywa", fsItalic, TBar::LabelProp, TGroup::None, false, "format-text-italic",
     "italic"},
    {nullptr, &C::tbUnderline, "tbUnderline", "Podkreślenie", fsUnderline, TBar::LabelProp, TGroup::None, false,
     "format-text-underline", "underline"},
    {nullptr, &C::tbReal, "tbReal", "Rozmiar rzeczywisty", isRealSize, TBar::LabelProp, TGroup::Size, true, "zoom-original",
     "realsize"},
    {nullptr, &C::tbStretch, "tbStretch", "Rozmiar skalowany", isStretched, TBar::LabelProp, TGroup::Size, false,
     "zoom-fit-best", "stretch"},
    {nullptr, &C::tbGs1, "tbGs1", "Dane GS1 (numer GTIN)", 0, TBar::LabelProp, TGroup::None, false, "", "gs1"},

    {nullptr, &C::tbPrice, "tbPrice", "Cena", ctPrice, TBar::Compo, TGroup::Kind, false, "", "price"},
    {nullptr, &C::tbName, "tbName", "Nazwa", ctName, TBar::Compo, TGroup::Kind, false, "", "name"},
    {nullptr, &C::tbU1, "tbU1", "Cena za jednostkę", ctAbsPrice, TBar::Compo, TGroup::Kind, false, "", "unitprice"},
    {nullptr, &C::tbU2, "tbU2", "Kod", ctCode, TBar::Compo, TGroup::Kind, false, "", "barcode"},
    {nullptr, &C::tbULabel, "tbULabel", "Napis", ctUserLabel, TBar::Compo, TGroup::Kind, false, "insert-text", "text"},
    {nullptr, &C::tbUBitmap, "tbUBitmap", "Mapa bitowa", ctUserBitmap, TBar::Compo, TGroup::Kind, false, "insert-image",
     "bitmap"},
    {nullptr, &C::tbLowestPrice, "tbLowestPrice", "Najniższa cena", ctLowestPrice, TBar::Compo, TGroup::Kind, false, "",
     "lowestprice"},
    {nullptr, &C::tbMatrixCode, "tbMatrixCode", "Kod 2D", ctMatrixCode, TBar::Compo, TGroup::Kind, false, "", "matrixcode"},
    {nullptr, &C::tbReduction, "tbReduction", "Obniżka", ctReduction, TBar::Compo, TGroup::Kind, false, "", "reduction"},
    {&C::tbDelete, nullptr, "tbDelete", "Usuń obiekt", 0, TBar::Compo, TGroup::None, true, "edit-delete", "delete"},
};

constexpr int kFontSizes[] = {4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

QToolBar* NewBar(const char* name, const QString& title, QWidget* parent) {
    auto* bar = new QToolBar(title, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setAccessibleName(title);
    bar->setIconSize(QSize(kIconSize, kIconSize));
    bar->setMovable(false);
    bar->setFloatable(false);
    return bar;
}

template <typename Box>
Box* AddBox(QToolBar* bar, const char* name, const char* hint) {
    auto* box = new Box(bar);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(QString::fromUtf8(hint));
    box->setAccessibleName(QString::fromUtf8(hint));
    bar->addWidget(box);
    return box;
}

}  // namespace

int Tag(const QObject* control) { return control ? control->property(kTag).toInt() : 0; }

QIcon DesignerIcon(const char* themeName, const char* ownName) {
    const QIcon own = OwnIcon(QStringLiteral(":/designer/%1.png").arg(QLatin1String(ownName)));
    if (!themeName || !*themeName) return own;
    return QIcon::fromTheme(QLatin1String(themeName), own);
}

void FillFontList(QComboBox* box) {
    box->clear();
    QStringList names;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isScalable(family) || QFontDatabase::isPrivateFamily(family)) continue;
        // A family of several foundries comes as "Name [Foundry]"; a layout
        // names the face alone.
        QString name = family;
        if (const qsizetype bracket = name.indexOf(QStringLiteral(" [")); bracket > 0) name.truncate(bracket);
        names << name;
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    // Once per family, whatever the case of its name.
    names.erase(std::unique(names.begin(), names.end(),
                            [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }),
                names.end());
    box->addItems(names);
    box->setCurrentIndex(0);
}

void FillFontSizeList(QComboBox* box) {
    box->clear();
    for (int size : kFontSizes) box->addItem(QString::number(size));
    box->setEditText(QStringLiteral("24"));
}

void BuildDesignToolbars(TDesignControls& c, QWidget* parent) {
    c.tbMain = NewBar("tbMain", QStringLiteral("Plik"), parent);
    c.tbrLabelProp = NewBar("tbrLabelProp", QString::fromUtf8("Właściwości"), parent);
    c.tbrCompo = NewBar("tbrCompo", QStringLiteral("Obiekty"), parent);
    c.tbrCompo->setOrientation(Qt::Vertical);
    c.AlignmentGroup = new TCheckGroup(false, parent);
    c.SizeGroup = new TCheckGroup(false, parent);
    c.KindGroup = new TCheckGroup(true, parent);

    auto* caption = new QLabel(QStringLiteral("Plik: "), c.tbMain);
    c.tbMain->addWidget(caption);
    c.edLabelFileName = new QLineEdit(c.tbMain);
    caption->setBuddy(c.edLabelFileName);
    c.edLabelFileName->setObjectName(QStringLiteral("edLabelFileName"));
    c.edLabelFileName->setReadOnly(true);
    c.edLabelFileName->setAccessibleName(QString::fromUtf8("Plik wyglądu etykiety"));
    c.edLabelFileName->setToolTip(c.edLabelFileName->accessibleName());
    c.edLabelFileName->setMinimumWidth(160);
    c.tbMain->addWidget(c.edLabelFileName);

    // The font boxes open the property toolbar.
    c.cbFont = AddBox<QComboBox>(c.tbrLabelProp, "cbFont", "Czcionka");
    c.cbFont->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c.cbFont->setMinimumContentsLength(14);
    FillFontList(c.cbFont);
    c.cbFontSize = AddBox<QComboBox>(c.tbrLabelProp, "cbFontSize", "Rozmiar czcionki");
    c.cbFontSize->setEditable(true);
    c.cbFontSize->setInsertPolicy(QComboBox::NoInsert);
    c.cbFontSize->setMinimumContentsLength(3);
    c.cbFontSize->lineEdit()->setAccessibleName(c.cbFontSize->accessibleName());
    FillFontSizeList(c.cbFontSize);
    c.cbColors = AddBox<TPLColorBox>(c.tbrLabelProp, "cbColors", "Kolor czcionki");

    for (const TButtonDef& def : kButtons) {
        QToolBar* bar = def.Bar == TBar::Main ? c.tbMain : def.Bar == TBar::LabelProp ? c.tbrLabelProp : c.tbrCompo;
        if (def.Check == &C::tbGs1) {
            // The 2D code's symbology, next to its GS1 button.
            bar->addSeparator();
            c.cbSymbol = AddBox<QComboBox>(bar, "cbSymbol", "Rodzaj kodu 2D");
            c.cbSymbol->addItems({QStringLiteral("QR"), QStringLiteral("Data Matrix")});
        }
        if (def.SeparatorBefore) bar->addSeparator();
        QToolButton* b;
        if (def.Check) {
            TCheckGroup* group = def.Group == TGroup::Alignment ? c.AlignmentGroup
                                 : def.Group == TGroup::Size    ? c.SizeGroup
                                 : def.Group == TGroup::Kind    ? c.KindGroup
                                                                : nullptr;
            auto* check = new TCheckToolButton(bar, group);
            c.*def.Check = check;
            b = check;
        } else {
            b = new QToolButton(bar);
            b->setAutoRaise(true);
            c.*def.Plain = b;
        }
        b->setObjectName(QLatin1String(def.Name));
        const QString hint = QString::fromUtf8(def.Hint);
        b->setToolTip(hint);
        b->setAccessibleName(hint);
        b->setProperty(kTag, def.Tag);
        b->setIcon(DesignerIcon(def.Theme, def.Own));
        b->setIconSize(QSize(kIconSize, kIconSize));
        bar->addWidget(b);
    }
}
