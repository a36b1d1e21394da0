#pragma once
#include "checktoolbutton.h"

#include <QIcon>

class QComboBox;
class QLineEdit;
class QToolBar;
class QToolButton;
class QWidget;
class TPLColorBox;

// The controls of the design page, by their names in the main window's form.
// Buttons carry their number in the property "Tag": the alignment buttons
// the alignment, the style buttons the style element, the size buttons the
// real-size flag, the kind buttons the kind of the next object.
struct TDesignControls {
    QLineEdit* edLabelFileName = nullptr;

    // tbMain: the file, the label size, the preview, the zoom, the history.
    QToolBar* tbMain = nullptr;
    QToolButton* tbOpen = nullptr;
    QToolButton* tbSave = nullptr;
    QToolButton* tbSaveAs = nullptr;
    QToolButton* tbLabelSize = nullptr;
    QToolButton* tbShow = nullptr;
    QToolButton* tbZoomIn = nullptr;
    QToolButton* tbZoomOut = nullptr;
    QToolButton* tbUndo = nullptr;
    QToolButton* tbRedo = nullptr;

    // tbrLabelProp: the selected text's font and alignment, the selected
    // picture's size mode, the selected 2D code's symbology.
    QToolBar* tbrLabelProp = nullptr;
    QComboBox* cbFont = nullptr;
    QComboBox* cbFontSize = nullptr;
    TPLColorBox* cbColors = nullptr;
    TCheckToolButton* tbLeft = nullptr;
    TCheckToolButton* tbCenter = nullptr;
    TCheckToolButton* tbRight = nullptr;
    TCheckToolButton* tbBold = nullptr;
    TCheckToolButton* tbItalic = nullptr;
    TCheckToolButton* tbUnderline = nullptr;
    TCheckToolButton* tbReal = nullptr;
    TCheckToolButton* tbStretch = nullptr;
    // The selected 2D code's symbology (item index: TMatrixSymbol) and GS1 data.
    QComboBox* cbSymbol = nullptr;
    TCheckToolButton* tbGs1 = nullptr;

    // tbrCompo: the kind of the next object, and delete.
    QToolBar* tbrCompo = nullptr;
    TCheckToolButton* tbPrice = nullptr;
    TCheckToolButton* tbName = nullptr;
    TCheckToolButton* tbU1 = nullptr;
    TCheckToolButton* tbU2 = nullptr;
    TCheckToolButton* tbULabel = nullptr;
    TCheckToolButton* tbUBitmap = nullptr;
    TCheckToolButton* tbLowestPrice = nullptr;
    TCheckToolButton* tbMatrixCode = nullptr;
    TCheckToolButton* tbReduction = nullptr;
    QToolButton* tbDelete = nullptr;

    TCheckGroup* AlignmentGroup = nullptr;  // one stays down
    TCheckGroup* SizeGroup = nullptr;       // one stays down
    TCheckGroup* KindGroup = nullptr;       // all may be up
};

// Creates the three toolbars with every control, its hint (tooltip and
// accessible name), tag, group and icon, as children of `parent`. The font
// and size boxes are filled.
void BuildDesignToolbars(TDesignControls& controls, QWidget* parent);

// Every scalable font family of the system once, sorted without regard to
// case; the first one selected.
void FillFontList(QComboBox* box);
// The usual point sizes, and "24" as the text.
void FillFontSizeList(QComboBox* box);

// The numbers of the style buttons and of the size buttons; the alignment
// buttons carry a TLabelAlignment, the kind buttons a TCompoType.
enum TFontStyleTag { fsBold = 0, fsItalic = 1, fsUnderline = 2 };
enum TImageSizeTag { isStretched = 0, isRealSize = 1 };

// A button's number ("Tag").
int Tag(const QObject* control);

// The icon of the desktop's theme, or the program's own drawing.
QIcon DesignerIcon(const char* themeName, const char* ownName);
