#pragma once
#include <QColor>
#include <QComboBox>
#include <QString>

class QPainter;

// Colour values as settings and layout files store them: red + 256 × green +
// 65536 × blue. Two special values stand for "the default colour" and "no
// colour"; values with the top byte 0xFF name a system colour.
constexpr int clNone = 0x1FFFFFFF;
constexpr int clDefault = 0x20000000;

// A drop-down list of the 16 standard colours, each shown as a small swatch
// followed by its Polish name ("Czarny", "Kasztanowy", ...).
class TPLColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit TPLColorBox(QWidget* parent = nullptr);

    // The colour value of the selected item; clNone when no item is selected.
    int Selected() const;
    // Selects the item of that colour value; a colour not in the list leaves
    // no item selected.
    void SetSelected(int value);
    // The colour value of list item `index`.
    int ItemColor(int index) const;

    // Painted for the special values clDefault and clNone.
    QColor DefaultColorColor() const { return DefaultColor; }
    void SetDefaultColorColor(const QColor& c) { DefaultColor = c; update(); }
    QColor NoneColorColor() const { return NoneColor; }
    void SetNoneColorColor(const QColor& c) { NoneColor = c; update(); }

    // The name table: 49 entries, the first 16 the Polish names of the
    // standard colours, the rest the identifiers of further colours. List item
    // i is named by entry i whatever its colour.
    static int ColorNameCount();
    static QString ColorName(int index);
    static int ColorNameValue(int index);

    // The swatch colour of a colour value, as plain RGB.
    QColor SwatchColor(int value) const;
    // The one-pixel border around a swatch: black when a part of the colour
    // exceeds 192; otherwise white on a highlighted item, else the colour itself.
    static QColor SwatchBorder(const QColor& swatch, bool selected);
    // Draws list item `index` into `rect`.
    void DrawItem(QPainter& painter, int index, const QRect& rect, bool selected) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor DefaultColor = Qt::black;
    QColor NoneColor = Qt::black;
};
