#pragma once
#include <QtGlobal>

class QPaintDevice;

// Layouts hold whole millimetres; the designer, the renderer and the page
// layout work in device pixels. Every conversion forms the integer product
// first, divides by 25.4 in long double and rounds half to even, so that the
// same layout lands on the same pixels wherever it is converted.
//
// `scale` is the design zoom (1 for printing); a scale of 0 counts as 1.
// The device's logical dots per inch are read on every call.
int MmToPixelsX(const QPaintDevice& dc, int mm, quint8 scale);
int MmToPixelsY(const QPaintDevice& dc, int mm, quint8 scale);
int PixelsToMmX(const QPaintDevice& dc, int px, quint8 scale);
int PixelsToMmY(const QPaintDevice& dc, int px, quint8 scale);

// The same conversions for a known resolution; results beyond the int range
// are clamped to it (a layout with absurd numbers must not overflow).
int MmToPixels(int mm, int scale, int dpi);
int PixelsToMm(int px, int scale, int dpi);
