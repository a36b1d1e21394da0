#pragma once
#include "printoptions.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QPainter;
class TBarcodeSymbol;
class TPrinter;
class TPrintTarget;
struct TLayoutObject;

// The goods data of one label.
struct TPrintGoods {
    QString ID;           // finds the row again after printing; empty in the preview
    QString NAZWA;
    QString CENA;         // price as stored
    QString KODKRESKOWY;
    quint8 TYPKODU = 0;   // barcode type code
    QString ABSCENA;      // unit price text as stored
};
// The goods of one print job, in print order.
using TPrintGoodsList = std::vector<TPrintGoods>;

// One object of the label layout as the printer uses it.
struct TPrintObject {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;  // millimetres from the label's top-left
    quint8 Kind = 0;                               // 0 text field, 1 picture
    quint8 FieldType = 0;                          // TCompoType
    QString Text;
    quint8 Alignment = 0;                          // 0 left, 1 right, 2 centred
    QString FontName;
    int FontSize = 10;
    QColor FontColor = Qt::black;
    bool FontBold = false, FontItalic = false, FontUnderline = false;
    QString FileName;
    bool RealSize = true;

    static TPrintObject FromLayout(const TLayoutObject& object);
};

// A failed print. Code 1: the layout file is missing or unreadable; code 2: the
// print job failed.
class TPrintManagerException : public std::runtime_error {
public:
    explicit TPrintManagerException(int code) : std::runtime_error(std::string()), Code(code) {}
    int Code;
};

// Reads a label layout and prints lists of goods with it, as many labels to a
// page as fit, row by row from the top-left of the printable area.
class TPrintManager {
public:
    TPrintManager();
    ~TPrintManager();
    TPrintManager(const TPrintManager&) = delete;
    TPrintManager& operator=(const TPrintManager&) = delete;

    QString LayoutFileName;
    // Reads LayoutFileName; TPrintManagerException code 1 when it is missing or
    // unreadable.
    void LoadLayout();
    const std::vector<TPrintObject>& Objects() const { return FObjects; }
    int LabelWidth() const { return FLabelWidth; }
    int LabelHeight() const { return FLabelHeight; }

    // Chooses the installed printer of exactly this name (blanks around it
    // trimmed); when there is none the default printer is used and
    // PrinterName stays as it was.
    void SelectPrinter(const QString& name);
    QString PrinterName() const { return FPrinterName; }
    // The printer the next job goes to.
    QString CurrentPrinter() const { return FCurrentPrinter; }
    // The file the virtual printer "PDF" writes.
    QString PdfFileName;

    QColor FrameColor() const { return FOptions.FrameColor; }
    void SetFrameColor(const QColor& color) { FOptions.FrameColor = color; }
    quint8 Orientation() const { return FOrientation; }
    void SetOrientation(quint8 value) { FOrientation = value; }
    bool AlwaysGr() const { return FOptions.AlwaysGr; }
    void SetAlwaysGr(bool on) { FOptions.AlwaysGr = on; }
    bool DoubleGr() const { return FOptions.DoubleGr; }
    void SetDoubleGr(bool on) { FOptions.DoubleGr = on; }
    bool DotSeparator() const { return FOptions.DotSeparator; }
    void SetDotSeparator(bool on) { FOptions.DotSeparator = on; }
    bool SmallGr() const { return FOptions.SmallGr; }
    void SetSmallGr(bool on) { FOptions.SmallGr = on; }
    bool BarcodeShowText() const { return FOptions.BarcodeShowText; }
    void SetBarcodeShowText(bool on);
    // All of the above at once.
    void SetOptions(const TPrintOptions& options);
    const TPrintOptions& Options() const { return FOptions; }
    TBarcodeSymbol& BarcodeSymbol() { return *FBarcodeSymbol; }

    // Called after each record with its ID; setting `abort` ends the job after
    // that record (the pages printed so far go out).
    std::function<void(TPrintManager* sender, const QString& id, bool& abort)> OnRecordPrinted;

    // Prints the list, each record `copies` times in consecutive cells, as one
    // job on CurrentPrinter(). TPrintManagerException code 2 when the job
    // fails; the document is ended in every case. A copies count below 1 or
    // an empty list prints nothing and starts no job.
    void PrintList(const TPrintGoodsList& list, int copies);
    // The same job on any target (the preview, tests).
    void PrintList(const TPrintGoodsList& list, int copies, TPrintTarget& target);

    // Draws one label into the canvas's clip box (the whole device when it has
    // no clip). Bad pictures and barcode data are absorbed.
    void DrawLabel(const TPrintGoods& goods, QPainter& canvas);
    // Lowers the canvas font point by point until `text` fits the width of
    // `rect`, never below 1 point.
    void FitNameToWidth(const QRect& rect, const QString& text, QPainter& canvas);

    // Advances the cell position (x, y) over a page of pw × ph pixels for
    // cells of cw × ch; true when the page is full.
    static bool NextCell(int& x, int& y, int cw, int ch, int pw, int ph);

private:
    void DrawPicture(size_t index, const QRect& r, QPainter& canvas);
    void DrawTextField(const TPrintObject& o, const TPrintGoods& goods, const QRect& r, QPainter& canvas);
    void DrawSmallGr(const QString& price, quint8 alignment, QRect r, QPainter& canvas);
    bool DrawBarcode(const TPrintObject& o, const TPrintGoods& goods, const QRect& r, QPainter& canvas);
    void SetFontSize(QPainter& canvas, int points);

    // A picture object's bitmap, read once per layout, and the last real-size
    // copy made of it for a device.
    struct TPicture {
        bool Loaded = false;
        QImage Source;
        QImage Prepared;
        int DpiX = 0, DpiY = 0;
        QSize Cut;
    };

    std::vector<TPrintObject> FObjects;
    std::vector<TPicture> FPictures;
    int FLabelWidth = 0;
    int FLabelHeight = 0;
    QString FPrinterName;
    QString FCurrentPrinter;
    quint8 FOrientation = 0;
    TPrintOptions FOptions;
    std::unique_ptr<TBarcodeSymbol> FBarcodeSymbol;
    // Current point size of the canvas font, as the text steps change it.
    int FFontPoints = 10;
};

// The job title every print job carries.
inline const QString kPrintJobTitle = QStringLiteral("Drukowanie etykiet cenowych");
