#pragma once
#include <QFontMetrics>
#include <QSize>
#include <QString>
#include <functional>

// The text of a lowest price field laid out in its box. A long template in a
// small box must never lose the price: the font shrinks first, then words
// before the price go.

// The smallest size a lowest price field shrinks to before words of its
// template go; smaller print is not read at the shelf.
inline constexpr int kLowestPriceMinPoints = 5;

// What a new lowest price object gets in the designer: a font and a box in
// which the default template, with a price up to "1234,56", fits on two
// lines; the box fits a label of 30 × 20 mm.
inline constexpr int kLowestPricePoints = 7;
inline constexpr int kLowestPriceWidthMm = 29;
inline constexpr int kLowestPriceHeightMm = 7;

// What is drawn: `Text` at `Points`, wrapped between words in the box.
struct TFittedPriceText {
    QString Text;
    int Points = 0;
};

// The template (the default one when empty) filled with `price` and fitted to
// `box` in pixels, the text wrapping between words and aligned by `flags`:
// at `points` when it fits; otherwise at the largest smaller size, down to
// kLowestPriceMinPoints, at which it fits; otherwise at that size with the
// words before the price left out, the last first, an ellipsis marking the
// cut. The price and what follows it stay whole even when they alone do not
// fit; a template without a price keeps at least its first word.
// `metricsAt` gives the field's font metrics at a size in points.
TFittedPriceText FitPriceTemplate(const QString& templateText, const QString& price, int points, const QSize& box,
                                  int flags, const std::function<QFontMetrics(int points)>& metricsAt);
