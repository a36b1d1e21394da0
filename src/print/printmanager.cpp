#include "printmanager.h"

#include "barcodepaint.h"
#include "barcodesymbol.h"
#include "bitmap.h"
#include "layout.h"
#include "printer.h"
#include "units.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cfenv>
#include <cmath>

namespace {

// Nearest integer, halves to even.
int RoundEven(double v) {
    if (!std::isfinite(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    const int old = std::fegetround();
    if (old != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    if (old != FE_TONEAREST) std::fesetround(old);
    return static_cast<int>(r);
}

// a × b ÷ c rounded half away from zero, on 64 bits.
int MulDiv(int a, int b, int c) {
    if (c == 0) return 0;
    const qint64 p = static_cast<qint64>(a) * b;
    const qint64 q = (std::llabs(p) * 2 + std::llabs(c)) / (2 * std::llabs(static_cast<qint64>(c)));
    const qint64 r = (p < 0) != (c < 0) ? -q : q;
    return static_cast<int>(std::clamp<qint64>(r, -2147483647, 2147483647));
}

// Layout numbers beyond 100 m are nonsense; keeping them there keeps every
// pixel sum far from the int range.
int SaneMm(int mm) { return std::clamp(mm, -100000, 100000); }
// A label size: negative counts as 0.
int SaneSize(int mm) { return std::clamp(mm, 0, 100000); }

// Windows-style rectangle (right and bottom exclusive) as a QRect.
QRect CellRect(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

}  // namespace

TPrintObject TPrintObject::FromLayout(const TLayoutObject& l) {
    TPrintObject o;
    o.Left = l.Left;
    o.Top = l.Top;
    o.Right = l.Right;
    o.Bottom = l.Bottom;
    o.Kind = l.Kind == LayoutObjectKind::Image ? 1 : 0;
    o.FieldType = l.Type;
    o.Text = l.Text;
    o.Alignment = l.Alignment;
    o.FontName = l.FontName;
    o.FontSize = l.FontSize;
    o.FontColor = ColorFromValue(l.FontColor);
    o.FontBold = l.FontBold;
    o.FontItalic = l.FontItalic;
    o.FontUnderline = l.FontUnderline;
    o.FileName = l.FileName;
    o.RealSize = l.RealSize;
    return o;
}

TPrintManager::TPrintManager() : FBarcodeSymbol(std::make_unique<TBarcodeSymbol>()) {
    // The manager's own defaults; the print command sets every option.
    FOptions.AlwaysGr = false;
    FOptions.DoubleGr = false;
    FOptions.DotSeparator = false;
    FOptions.SmallGr = true;
    SetBarcodeShowText(false);
}

TPrintManager::~TPrintManager() = default;

void TPrintManager::SetBarcodeShowText(bool on) {
    FOptions.BarcodeShowText = on;
    FBarcodeSymbol->SetShowText(on ? bcoCode : bcoNone);
}

void TPrintManager::SetOptions(const TPrintOptions& options) {
    FOptions = options;
    SetBarcodeShowText(options.BarcodeShowText);
}

void TPrintManager::LoadLayout() {
    if (LayoutFileName.isEmpty() || !QFileInfo(LayoutFileName).isFile()) throw TPrintManagerException(1);
    FObjects.clear();
    FPictures.clear();
    TLabelLayout layout;
    if (!LoadLayoutFile(LayoutFileName, PrintLayoutDefaults(), layout)) throw TPrintManagerException(1);
    FLabelWidth = layout.Width;
    FLabelHeight = layout.Height;
    FObjects.reserve(layout.Objects.size());
    for (const TLayoutObject& o : layout.Objects) FObjects.push_back(TPrintObject::FromLayout(o));
    FPictures.resize(FObjects.size());
}

void TPrintManager::SelectPrinter(const QString& name) {
    const QString wanted = name.trimmed();
    const QStringList installed = TPrinter::Printers();
    for (const QString& p : installed) {
        if (p == wanted) {
            FPrinterName = p;
            FCurrentPrinter = p;
            return;
        }
    }
    FCurrentPrinter = TPrinter::DefaultPrinter();
}

bool TPrintManager::NextCell(int& x, int& y, int cw, int ch, int pw, int ph) {
    bool full = false;
    if (pw < cw) {
        x = 0;
        y += ch;
        if (ph < y + ch) {
            y = 0;
            full = true;
        }
    } else if (ph < ch) {
        y = 0;
        x += cw;
        if (pw < x + cw) {
            x = 0;
            full = true;
        }
    } else {
        x += cw;
        if (pw < x + cw) {
            x = 0;
            y += ch;
            if (ph < y + ch) {
                y = 0;
                full = true;
            }
        }
    }
    return full;
}

void TPrintManager::PrintList(const TPrintGoodsList& list, int copies) {
    if (list.empty() || copies < 1) return;
    TPrinter printer;
    try {
        printer.SetPrinterName(FCurrentPrinter.isEmpty() ? TPrinter::DefaultPrinter() : FCurrentPrinter);
    } catch (...) {
        throw TPrintManagerException(2);
    }
    printer.SetTitle(kPrintJobTitle);
    printer.SetOrientation(FOrientation);
    printer.SetOutputFileName(PdfFileName);
    PrintList(list, copies, printer);
}

void TPrintManager::PrintList(const TPrintGoodsList& list, int copies, TPrintTarget& target) {
    if (list.empty() || copies < 1) return;
    try {
        target.BeginDoc();
        QPainter& canvas = target.Canvas();
        const QPaintDevice& device = *canvas.device();
        const int cw = MmToPixelsX(device, SaneSize(FLabelWidth), 1);
        const int ch = MmToPixelsY(device, SaneSize(FLabelHeight), 1);
        const int pw = target.PageWidth();
        const int ph = target.PageHeight();
        int x = 0, y = 0;
        for (size_t i = 0; i < list.size(); ++i) {
            bool full = false;
            for (int copy = 0; copy < copies; ++copy) {
                canvas.setClipRect(QRect(x, y, cw, ch));
                DrawLabel(list[i], canvas);
                canvas.setClipping(false);
                full = NextCell(x, y, cw, ch, pw, ph);
                if (full && copy + 1 < copies) target.NewPage();
            }
            if (full && i + 1 < list.size()) target.NewPage();
            bool abort = false;
            if (OnRecordPrinted) OnRecordPrinted(this, list[i].ID, abort);
            if (QCoreApplication::instance()) QCoreApplication::processEvents();
            if (abort) break;
        }
        target.EndDoc();
    } catch (...) {
        // Whatever was drawn still goes out.
        try {
            if (target.Printing()) target.EndDoc();
        } catch (...) {
        }
        throw TPrintManagerException(2);
    }
}

void TPrintManager::SetFontSize(QPainter& canvas, int points) {
    FFontPoints = points;
    QFont f = canvas.font();
    f.setPixelSize(std::max(1, MulDiv(points, canvas.device()->logicalDpiY(), 72)));
    canvas.setFont(f);
}

void TPrintManager::FitNameToWidth(const QRect& rect, const QString& text, QPainter& canvas) {
    while (FFontPoints > 1 && canvas.fontMetrics().horizontalAdvance(text) > rect.width())
        SetFontSize(canvas, FFontPoints - 1);
}

void TPrintManager::DrawLabel(const TPrintGoods& goods, QPainter& canvas) {
    QPaintDevice* device = canvas.device();
    if (!device || !canvas.isActive()) throw std::logic_error("DrawLabel needs an active canvas");
    const QRect box = canvas.hasClipping() ? canvas.clipBoundingRect().toAlignedRect()
                                           : QRect(0, 0, device->width(), device->height());
    if (box.isEmpty()) return;
    canvas.fillRect(box, Qt::white);
    const auto objectRect = [&](const TPrintObject& o) {
        return CellRect(MmToPixelsX(*device, SaneMm(o.Left), 1), MmToPixelsY(*device, SaneMm(o.Top), 1),
                        MmToPixelsX(*device, SaneMm(o.Right), 1), MmToPixelsY(*device, SaneMm(o.Bottom), 1))
            .translated(box.topLeft());
    };
    // Pictures first, so that text always lies over them.
    for (size_t i = 0; i < FObjects.size(); ++i)
        if (FObjects[i].Kind == 1) DrawPicture(i, objectRect(FObjects[i]), canvas);
    for (const TPrintObject& o : FObjects)
        if (o.Kind == 0) DrawTextField(o, goods, objectRect(o), canvas);
    // The frame on the outermost pixels: neighbouring labels get adjacent frames.
    const QColor frame = FOptions.FrameColor;
    canvas.fillRect(QRect(box.left(), box.top(), box.width(), 1), frame);
    canvas.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), frame);
    canvas.fillRect(QRect(box.left(), box.top(), 1, box.height()), frame);
    canvas.fillRect(QRect(box.right(), box.top(), 1, box.height()), frame);
}

void TPrintManager::DrawPicture(size_t index, const QRect& r, QPainter& canvas) {
    const TPrintObject& o = FObjects[index];
    if (index >= FPictures.size()) FPictures.resize(FObjects.size());
    TPicture& pic = FPictures[index];
    // Pictures are read once per layout: a job draws the same one on every label.
    if (!pic.Loaded) {
        pic.Loaded = true;
        LoadLabelBitmap(o.FileName, pic.Source);
        pic.Prepared = QImage();
    }
    if (pic.Source.isNull() || r.width() <= 0 || r.height() <= 0) return;
    const QPaintDevice& device = *canvas.device();
    if (!o.RealSize) {
        canvas.drawImage(r, pic.Source);
        return;
    }
    if (pic.Prepared.isNull() || pic.DpiX != device.logicalDpiX() || pic.DpiY != device.logicalDpiY() ||
        pic.Cut != r.size()) {
        const int srcDpiX = std::max(1, pic.Source.logicalDpiX());
        const int srcDpiY = std::max(1, pic.Source.logicalDpiY());
        const int w = RoundEven(pic.Source.width() * (double(device.logicalDpiX()) / srcDpiX));
        const int h = RoundEven(pic.Source.height() * (double(device.logicalDpiY()) / srcDpiY));
        pic.Prepared = QImage();
        if (w <= 0 || h <= 0) return;
        // Scale only the part that stays inside the box.
        const int cutW = std::min(w, r.width()), cutH = std::min(h, r.height());
        QImage cut(cutW, cutH, QImage::Format_ARGB32_Premultiplied);
        cut.fill(Qt::transparent);
        {
            QPainter p(&cut);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRect(0, 0, w, h), pic.Source);
        }
        pic.Prepared = cut;
        pic.DpiX = device.logicalDpiX();
        pic.DpiY = device.logicalDpiY();
        pic.Cut = r.size();
    }
    canvas.drawImage(r.topLeft(), pic.Prepared);
}

bool TPrintManager::DrawBarcode(const TPrintObject& o, const TPrintGoods& goods, const QRect& r, QPainter& canvas) {
    if (goods.KODKRESKOWY.isEmpty()) return false;
    if (goods.TYPKODU >= BarcodeTypeCount) return false;
    const QPaintDevice& device = *canvas.device();
    TBarcodeSymbol& b = *FBarcodeSymbol;
    QFont font(o.FontName);
    font.setPixelSize(std::max(1, MulDiv(o.FontSize, device.logicalDpiY(), 72)));
    b.SetShowTextFont(font);
    b.SetShowTextFontColor(o.FontColor);
    b.SetText(goods.KODKRESKOWY);
    b.SetHeight(r.height());
    b.SetTop(r.top());
    b.SetLeft(r.left());
    b.SetModul(RoundEven(device.logicalDpiX() * 0.25 / 25.4));
    b.SetTyp(static_cast<TBarcodeType>(goods.TYPKODU));
    switch (o.Alignment) {
    case taLeftJustify:
        b.SetShowTextPosition(stpTopLeft);
        break;
    case taRightJustify:
        b.SetShowTextPosition(stpTopRight);
        break;
    case taCenter:
        b.SetShowTextPosition(stpTopCenter);
        break;
    default:
        break;
    }
    try {
        PaintBarcode(b, canvas);
    } catch (const TBarcodeError&) {
        return false;
    }
    return true;
}

void TPrintManager::DrawTextField(const TPrintObject& o, const TPrintGoods& goods, const QRect& r, QPainter& canvas) {
    QString text;
    bool barcodeDrawn = false;
    switch (o.FieldType) {
    case ctPrice:
        text = FormatPrice(goods.CENA, FOptions.AlwaysGr, FOptions.DoubleGr, FOptions.DotSeparator);
        break;
    case ctName:
        text = goods.NAZWA;
        break;
    case ctAbsPrice:
        text = goods.ABSCENA;
        break;
    case ctCode:
        text = goods.KODKRESKOWY;
        barcodeDrawn = DrawBarcode(o, goods, r, canvas);
        break;
    case ctUserLabel:
        text = o.Text;
        break;
    default:
        // Not a kind the designer writes: nothing to show.
        return;
    }
    QFont font(o.FontName);
    font.setBold(o.FontBold);
    font.setItalic(o.FontItalic);
    font.setUnderline(o.FontUnderline);
    canvas.setFont(font);
    SetFontSize(canvas, o.FontSize);
    canvas.setPen(o.FontColor);
    canvas.setBrush(Qt::NoBrush);
    if (r.width() <= 0 || r.height() <= 0) return;
    if (FOptions.SmallGr && o.FieldType == ctPrice) {
        DrawSmallGr(text, o.Alignment, r, canvas);
        return;
    }
    if (barcodeDrawn) return;
    if (o.FieldType == ctName) FitNameToWidth(r, text, canvas);
    canvas.drawText(r, static_cast<int>(AlignmentFlags(o.Alignment)), text);
}

void TPrintManager::DrawSmallGr(const QString& price, quint8 alignment, QRect r, QPainter& canvas) {
    const qsizetype p = PriceSeparatorPos(price);
    if (p < 0) {
        canvas.drawText(r, static_cast<int>(AlignmentFlags(alignment)), price);
        return;
    }
    const QString whole = price.left(p);
    const QString fraction = price.mid(p + 1, 2);
    const int full = FFontPoints;
    const int small = RoundEven(0.6 * full);
    // The lift: 5 % of the (negative) character height of the current font.
    const auto lift = [&] { return RoundEven(-canvas.font().pixelSize() * 0.05); };
    const int g = canvas.fontMetrics().horizontalAdvance(QLatin1Char(' ')) / 2;
    switch (alignment) {
    case taRightJustify: {
        const QRect saved = r;
        r.setTop(r.top() - lift());
        SetFontSize(canvas, small);
        canvas.drawText(r, Qt::AlignRight | Qt::AlignTop, fraction);
        const int fractionWidth = canvas.fontMetrics().horizontalAdvance(fraction);
        r = saved;
        SetFontSize(canvas, full);
        r.setRight(r.right() - (fractionWidth + g));
        canvas.drawText(r, Qt::AlignRight | Qt::AlignTop, whole);
        break;
    }
    case taCenter: {
        int w = canvas.fontMetrics().horizontalAdvance(whole) + g;
        SetFontSize(canvas, small);
        w += canvas.fontMetrics().horizontalAdvance(fraction);
        const int d = (r.width() - w) / 2;
        r.setLeft(r.left() + d);
        r.setRight(r.right() - d);
        const int top = r.top();
        r.setTop(top - lift());
        canvas.drawText(r, Qt::AlignRight | Qt::AlignTop, fraction);
        SetFontSize(canvas, full);
        r.setTop(top);
        canvas.drawText(r, Qt::AlignLeft | Qt::AlignTop, whole);
        break;
    }
    default: {
        canvas.drawText(r, Qt::AlignLeft | Qt::AlignTop, whole);
        r.setLeft(r.left() + canvas.fontMetrics().horizontalAdvance(whole) + g);
        r.setTop(r.top() - lift());
        SetFontSize(canvas, small);
        canvas.drawText(r, Qt::AlignLeft | Qt::AlignTop, fraction);
        break;
    }
    }
}
