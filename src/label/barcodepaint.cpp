#include "barcodepaint.h"

#include "barcodesymbol.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <vector>

namespace {

// One step of the recorded drawing: a filled area or a piece of text. An
// area is mostly upright rectangles (bars, the background, the legend's box);
// they are kept as such, since a PDF writes a rectangle in a third of the
// bytes of a path and the page's compression pays for every byte.
struct TStep {
    QColor Colour;
    std::vector<QRectF> Rects;
    QPainterPath Area;  // what is not a rectangle
    bool IsText = false;
    QPointF At;
    QString Text;
    QFont Font;
};

class TCollectEngine : public QPaintEngine {
public:
    TCollectEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override {
        if (state.state() & DirtyBrush) Brush = state.brush();
        if (state.state() & DirtyPen) Pen = state.pen();
        if (state.state() & DirtyFont) Font = state.font();
        if (state.state() & DirtyTransform) Transform = state.transform();
    }
    void drawRects(const QRectF* rects, int count) override {
        if (Brush.style() == Qt::NoBrush) return;
        std::vector<QRectF>& area = StepFor(Brush.color()).Rects;
        for (int i = 0; i < count; ++i) area.push_back(Transform.mapRect(rects[i]));
    }
    void drawRects(const QRect* rects, int count) override {
        if (Brush.style() == Qt::NoBrush) return;
        std::vector<QRectF>& area = StepFor(Brush.color()).Rects;
        for (int i = 0; i < count; ++i) area.push_back(Transform.mapRect(QRectF(rects[i])));
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override {
        if (Brush.style() == Qt::NoBrush) return;
        QPolygonF polygon;
        for (int i = 0; i < count; ++i) polygon << Transform.map(points[i]);
        StepFor(Brush.color()).Area.addPolygon(polygon);
    }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override {
        std::vector<QPointF> f(points, points + count);
        drawPolygon(f.data(), count, mode);
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        TStep s;
        s.IsText = true;
        s.Colour = Pen.color();
        s.At = Transform.map(p);
        s.Text = item.text();
        s.Font = Font;
        Steps.push_back(std::move(s));
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

    std::vector<TStep> Steps;

private:
    TStep& StepFor(const QColor& colour) {
        // Consecutive areas of one colour join; a change of colour keeps the
        // painting order.
        if (Steps.empty() || Steps.back().IsText || Steps.back().Colour != colour) {
            TStep s;
            s.Colour = colour;
            s.Area.setFillRule(Qt::WindingFill);
            Steps.push_back(std::move(s));
        }
        return Steps.back();
    }

    QBrush Brush;
    QPen Pen;
    QFont Font;
    QTransform Transform;
};

// A device with the target's resolution, so that fonts measure the same.
class TCollectDevice : public QPaintDevice {
public:
    explicit TCollectDevice(const QPaintDevice& target) : Target(target) {}
    ~TCollectDevice() override {
        // QPaintDevice requires the painters to be gone before the engine.
    }
    QPaintEngine* paintEngine() const override { return &Engine; }
    mutable TCollectEngine Engine;

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
        case PdmHeight:
            return 1 << 24;
        case PdmWidthMM:
        case PdmHeightMM:
            return static_cast<int>((1 << 24) * 25.4 / std::max(1, Target.logicalDpiX()));
        case PdmDpiX:
            return Target.logicalDpiX();
        case PdmDpiY:
            return Target.logicalDpiY();
        case PdmPhysicalDpiX:
            return Target.physicalDpiX();
        case PdmPhysicalDpiY:
            return Target.physicalDpiY();
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        case PdmNumColors:
            return 1 << 24;
        case PdmDepth:
            return 32;
        default:
            return 0;
        }
    }

private:
    const QPaintDevice& Target;
};

}  // namespace

void PaintBarcode(TBarcodeSymbol& symbol, QPainter& canvas) {
    QPaintDevice* device = canvas.device();
    if (!device || device->devType() == QInternal::Image) {
        symbol.PaintTo(canvas);
        return;
    }
    TCollectDevice collector(*device);
    {
        QPainter p(&collector);
        symbol.PaintTo(p);
    }
    const bool aa = canvas.testRenderHint(QPainter::Antialiasing);
    const QPen pen = canvas.pen();
    const QBrush brush = canvas.brush();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    for (const TStep& s : collector.Engine.Steps) {
        if (s.IsText) {
            canvas.setFont(s.Font);
            canvas.setPen(s.Colour);
            canvas.drawText(s.At, s.Text);
        } else if (s.Area.isEmpty()) {
            // Rectangles of one colour filled as one area, as the path was.
            canvas.setPen(Qt::NoPen);
            canvas.setBrush(s.Colour);
            canvas.drawRects(s.Rects.data(), static_cast<int>(s.Rects.size()));
        } else {
            QPainterPath area = s.Area;
            for (const QRectF& r : s.Rects) area.addRect(r);
            canvas.fillPath(area, s.Colour);
        }
    }
    canvas.setPen(pen);
    canvas.setBrush(brush);
    canvas.setRenderHint(QPainter::Antialiasing, aa);
}
