#include "plcolorbox.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <array>

namespace {

struct ColorEntry {
    int Value;
    const char* Name;
};

// System colours: the top byte 0xFF and the index of the system colour.
constexpr int SystemColor(int index) { return static_cast<int>(0xFF000000u | static_cast<unsigned>(index)); }

const std::array<ColorEntry, 49> kColorNames = {{
    {0x000000, "Czarny"},
    {0x000080, "Kasztanowy"},
    {0x008000, "Zielony"},
    {0x008080, "Oliwkowy"},
    {0x800000, "Granatowy"},
    {0x800080, "Purpurowy"},
    {0x808000, "Zielonomodry"},
    {0x808080, "Szary"},
    {0xC0C0C0, "Srebrny"},
    {0x0000FF, "Czerwony"},
    {0x00FF00, "Limonowy"},
    {0x00FFFF, "Żółty"},
    {0xFF0000, "Niebieski"},
    {0xFF00FF, "Fuksja"},
    {0xFFFF00, "Akwamaryna"},
    {0xFFFFFF, "Biały"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {SystemColor(10), "clActiveBorder"},
    {SystemColor(2), "clActiveCaption"},
    {SystemColor(12), "clAppWorkSpace"},
    {SystemColor(1), "clBackground"},
    {SystemColor(15), "clBtnFace"},
    {SystemColor(20), "clBtnHighlight"},
    {SystemColor(16), "clBtnShadow"},
    {SystemColor(18), "clBtnText"},
    {SystemColor(9), "clCaptionText"},
    {clDefault, "clDefault"},
    {SystemColor(27), "clGradientActiveCaption"},
    {SystemColor(28), "clGradientInactiveCaption"},
    {SystemColor(17), "clGrayText"},
    {SystemColor(13), "clHighlight"},
    {SystemColor(14), "clHighlightText"},
    {SystemColor(11), "clInactiveBorder"},
    {SystemColor(3), "clInactiveCaption"},
    {SystemColor(19), "clInactiveCaptionText"},
    {SystemColor(24), "clInfoBk"},
    {SystemColor(23), "clInfoText"},
    {SystemColor(4), "clMenu"},
    {SystemColor(7), "clMenuText"},
    {clNone, "clNone"},
    {SystemColor(0), "clScrollBar"},
    {SystemColor(21), "cl3DDkShadow"},
    {SystemColor(22), "cl3DLight"},
    {SystemColor(5), "clWindow"},
    {SystemColor(6), "clWindowFrame"},
    {SystemColor(8), "clWindowText"},
}};

constexpr int kStandardColors = 16;

// The list in the popup draws its items like the closed box.
class ColorItemDelegate : public QStyledItemDelegate {
public:
    explicit ColorItemDelegate(TPLColorBox* box) : QStyledItemDelegate(box), Box(box) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->save();
        Box->DrawItem(*painter, index.row(), option.rect, option.state & QStyle::State_Selected);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(qMax(s.height(), option.fontMetrics.height() + 4));
        return s;
    }

private:
    TPLColorBox* Box;
};

}  // namespace

TPLColorBox::TPLColorBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    for (int i = 0; i < kStandardColors; ++i)
        addItem(QString::fromUtf8(kColorNames[i].Name), kColorNames[i].Value);
    setItemDelegate(new ColorItemDelegate(this));
    setCurrentIndex(0);
}

int TPLColorBox::ColorNameCount() { return static_cast<int>(kColorNames.size()); }

QString TPLColorBox::ColorName(int index) {
    if (index < 0 || index >= ColorNameCount()) return {};
    return QString::fromUtf8(kColorNames[index].Name);
}

int TPLColorBox::ColorNameValue(int index) {
    if (index < 0 || index >= ColorNameCount()) return clNone;
    return kColorNames[index].Value;
}

int TPLColorBox::ItemColor(int index) const {
    const QVariant v = itemData(index);
    return v.isValid() ? v.toInt() : clNone;
}

int TPLColorBox::Selected() const { return currentIndex() < 0 ? clNone : ItemColor(currentIndex()); }

void TPLColorBox::SetSelected(int value) { setCurrentIndex(findData(value)); }

QColor TPLColorBox::SwatchColor(int value) const {
    if (value == clDefault) return DefaultColor;
    if (value == clNone) return NoneColor;
    const auto v = static_cast<quint32>(value);
    if ((v & 0xFF000000u) == 0xFF000000u) {
        const QPalette& pal = palette();
        switch (v & 0xFFu) {
        case 5: return pal.color(QPalette::Base);
        case 8: return pal.color(QPalette::Text);
        case 13: return pal.color(QPalette::Highlight);
        case 14: return pal.color(QPalette::HighlightedText);
        case 15: return pal.color(QPalette::Button);
        case 18: return pal.color(QPalette::ButtonText);
        case 17: return pal.color(QPalette::Disabled, QPalette::Text);
        case 23: return pal.color(QPalette::ToolTipText);
        case 24: return pal.color(QPalette::ToolTipBase);
        default: return pal.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

QColor TPLColorBox::SwatchBorder(const QColor& swatch, bool selected) {
    const QColor c = swatch.toRgb();
    if (c.red() > 192 || c.green() > 192 || c.blue() > 192) return Qt::black;
    return selected ? QColor(Qt::white) : c;
}

void TPLColorBox::DrawItem(QPainter& painter, int index, const QRect& rect, bool selected) const {
    const QPalette& pal = palette();
    const QColor background = pal.color(selected ? QPalette::Highlight : QPalette::Base);
    painter.fillRect(rect, background);

    // A square as high as the item at its left, one pixel in from every side.
    const int side = rect.height();
    const QRect swatch(rect.left() + 1, rect.top() + 1, side - 2, side - 2);
    if (swatch.width() > 0 && swatch.height() > 0) {
        const QColor colour = SwatchColor(ItemColor(index));
        painter.fillRect(swatch, colour);
        painter.setPen(SwatchBorder(colour, selected));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    }

    const QString name = ColorName(index);
    const QFontMetrics fm(font());
    const int textLeft = rect.left() + side + 5;
    const int textTop = rect.top() + (rect.height() - fm.height()) / 2;
    painter.save();
    painter.setClipRect(rect);
    painter.setFont(font());
    painter.setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter.drawText(QRect(textLeft, textTop, qMax(0, rect.right() - textLeft + 1), fm.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
    painter.restore();
}

void TPLColorBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    if (currentIndex() < 0) return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    DrawItem(painter, currentIndex(), field, hasFocus());
}
