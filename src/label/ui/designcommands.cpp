// The designer's commands on objects: placing, property edits, delete, the
// text of a fixed text, the keyboard, and undo and redo.
#include "designpage.h"

#include "dcimage.h"
#include "dclabel.h"
#include "designhistory.h"
#include "designio.h"
#include "designpanel.h"
#include "matrixcode.h"
#include "plcolorbox.h"
#include "pricefit.h"
#include "prompter.h"
#include "units.h"

#include <QComboBox>
#include <QCursor>
#include <QUndoStack>

namespace {

// Merge keys: the kind of step above the session number.
constexpr int kTypedFontSize = 1 << 24;
constexpr int kHeldArrow = 2 << 24;

}  // namespace

void TDesignPage::Changed(const TDesignState& before, const QString& what, int mergeKey) {
    LayoutModified = true;
    Steps->Record(before, what, mergeKey);
    UpdateStatus();
}

void TDesignPage::FinishGesture() {
    if (Steps->GestureOpen()) Steps->EndGesture(QString::fromUtf8("Przesunięcie obiektu"));
}

// ---- Placing ----

void TDesignPage::plProjDesignClick() {
    TCheckToolButton* kind = KindGroup->Down();
    if (!kind) return;
    kind->SetDown(false);
    FinishGesture();
    const TDesignState before = Steps->Capture();
    CreateObjectAt(Tag(kind));
    // Also when the object was not created.
    Changed(before, QStringLiteral("Nowy obiekt"));
}

void TDesignPage::CreateObjectAt(int kind) {
    // Where the administrator clicked, before a dialog takes the pointer away.
    const QPoint p = plProjDesign->mapFromGlobal(QCursor::pos());
    TdcComponent* object = nullptr;
    if (kind == ctUserBitmap) {
        const QString path = ChooseBitmap();
        if (path.isEmpty()) return;
        auto* image = new TdcImage(plProjDesign, Scale());
        image->SetFileName(path);  // at 0, 0: a real-size picture may take the whole panel
        if (image->LoadError()) {
            Prompter::current().error(QString::fromUtf8("Wystąpił błąd podczas odczytu pliku: \"%1\"").arg(path));
            delete image;
            return;
        }
        object = image;
    } else {
        QString text;
        if (kind == ctUserLabel) {
            text = AskText(CompoCaption(ctUserLabel));
            if (text.isEmpty()) return;
        }
        auto* label = new TdcLabel(plProjDesign, Scale());
        label->SetAType(static_cast<quint8>(kind));
        label->SetText(kind == ctUserLabel ? text : CompoCaption(kind));
        if (kind == ctLowestPrice) {
            // A box and a font its long template fits, on two lines.
            label->SetFontSize(kLowestPricePoints);
            label->resize(ToDots(TMmSize{TMm(kLowestPriceWidthMm), TMm(kLowestPriceHeightMm)}, label->Resolution()));
        } else if (kind == ctMatrixCode) {
            // A square box, as the symbol is: the default template's QR with
            // its quiet zone at modules of about 0.4 mm, beside a price and an
            // EAN-13 on a 30 × 20 mm label.
            label->SetFontSize(kMatrixCodePoints);
            label->resize(ToDots(TMmSize{TMm(kMatrixCodeSideMm), TMm(kMatrixCodeSideMm)}, label->Resolution()));
        }
        object = label;
    }
    object->SetLeft(p.x());
    object->SetTop(p.y());
    object->KeepInsideParent();
    Adopt(object);
    object->SetSelect(true);
    QCursor::setPos(plProjDesign->mapToGlobal(p));
}

// ---- Changes of the selected object ----

void TDesignPage::ObjectChanged(TdcComponent*) {
    // Before every step of a drag; the drag is one step of history.
    LayoutModified = true;
    Steps->BeginGesture();
}

void TDesignPage::EditObjectText(TdcComponent* object) {
    auto* label = qobject_cast<TdcLabel*>(object);
    // A fixed text, and the templates of the lowest price, the 2D code and the
    // reduction.
    if (!label || (label->AType() != ctUserLabel && label->AType() != ctLowestPrice && label->AType() != ctMatrixCode &&
                   label->AType() != ctReduction))
        return;
    const QString text = AskText(label->Text());
    if (text.isEmpty() || text == label->Text()) return;
    const TDesignState before = Steps->Capture();
    label->SetText(text);
    // A new text is a change of the layout like any other: without the flag
    // it would be lost without a question when the program closes.
    Changed(before, QStringLiteral("Tekst"));
}

void TDesignPage::cbFontChange() {
    const TDesignState before = Steps->Capture();
    if (TdcLabel* label = SelectedLabel()) label->SetFontName(cbFont->currentText());
    Changed(before, QStringLiteral("Czcionka"));
}

void TDesignPage::cbFontSizeChange() {
    const TDesignState before = Steps->Capture();
    if (TdcLabel* label = SelectedLabel()) {
        bool ok = false;
        const int size = cbFontSize->currentText().trimmed().toInt(&ok);
        if (ok)
            label->SetFontSize(size);
        else if (Beep)
            Beep();
    }
    Changed(before, QStringLiteral("Rozmiar czcionki"), kTypedFontSize | MergeSession);
}

void TDesignPage::cbColorsChange() {
    const TDesignState before = Steps->Capture();
    if (TdcLabel* label = SelectedLabel()) label->SetFontColor(cbColors->Selected());
    Changed(before, QStringLiteral("Kolor czcionki"));
}

void TDesignPage::tbLeftClick(QObject* button) {
    const TDesignState before = Steps->Capture();
    if (TdcLabel* label = SelectedLabel()) label->SetAlignment(static_cast<quint8>(Tag(button)));
    Changed(before, QString::fromUtf8("Wyrównanie"));
}

void TDesignPage::tbBoldClick(QObject* button) {
    const TDesignState before = Steps->Capture();
    if (TdcLabel* label = SelectedLabel()) {
        const bool down = static_cast<TCheckToolButton*>(button)->Down();
        switch (Tag(button)) {
        case fsBold:
            label->SetFontBold(down);
            break;
        case fsItalic:
            label->SetFontItalic(down);
            break;
        case fsUnderline:
            label->SetFontUnderline(down);
            break;
        default:
            break;
        }
    }
    Changed(before, QStringLiteral("Styl czcionki"));
}

void TDesignPage::tbRealClick(QObject* button) {
    const TDesignState before = Steps->Capture();
    if (TdcImage* image = SelectedImage()) image->SetRealSize(Tag(button) == isRealSize);
    Changed(before, QStringLiteral("Rozmiar mapy bitowej"));
}

void TDesignPage::cbSymbolChange() {
    const TDesignState before = Steps->Capture();
    if (TdcLabel* label = SelectedLabel(); label && label->AType() == ctMatrixCode)
        label->SetSymbol(cbSymbol->currentIndex() == 1 ? msDataMatrix : msQR);
    Changed(before, QStringLiteral("Rodzaj kodu 2D"));
}

void TDesignPage::tbGs1Click() {
    const TDesignState before = Steps->Capture();
    if (TdcLabel* label = SelectedLabel(); label && label->AType() == ctMatrixCode) {
        const bool on = tbGs1->Down();
        label->SetGs1(on);
        // GS1 data is a GTIN, never a web address: the default template
        // becomes the GTIN and back, any other text stays the administrator's.
        const QString digitalLink = kDigitalLinkTemplate.toString();
        if (on && label->Text() == digitalLink)
            label->SetText(kGtinPlaceholder.toString());
        else if (!on && label->Text() == kGtinPlaceholder)
            label->SetText(digitalLink);
    }
    Changed(before, QStringLiteral("Dane GS1"));
}

void TDesignPage::tbDeleteClick() {
    const TDesignState before = Steps->Capture();
    // One object per click, texts first; the toolbars stay as they are.
    if (TdcLabel* label = SelectedLabel())
        delete label;
    else if (TdcImage* image = SelectedImage())
        delete image;
    Changed(before, QString::fromUtf8("Usunięcie obiektu"));
}

// ---- Keyboard ----

bool TDesignPage::KeyPress(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    const int step = (modifiers & Qt::ShiftModifier) ? 10 : 1;
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!SelectedObject()) return false;
        MoveSelected(key == Qt::Key_Left ? -step : key == Qt::Key_Right ? step : 0,
                     key == Qt::Key_Up ? -step : key == Qt::Key_Down ? step : 0, autoRepeat);
        return true;
    case Qt::Key_Delete:
        if (!SelectedObject()) return false;
        tbDeleteClick();
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (modifiers & (Qt::ControlModifier | Qt::AltModifier) || DesignObjects(plProjDesign).isEmpty())
            return false;
        SelectNext(key == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier));
        return true;
    default:
        return false;
    }
}

void TDesignPage::MoveSelected(int dx, int dy, bool held) {
    TdcComponent* c = SelectedObject();
    if (!c) return;
    FinishGesture();
    // A key held down is one step; each new press is another.
    if (!held) ++MergeSession;
    const TDesignState before = Steps->Capture();
    // The limits of a drag with the mouse.
    const QPoint to = ClampToPanel(c->pos() + QPoint(dx, dy), c->size(), plProjDesign->size());
    if (to == c->pos()) return;
    c->move(to);
    Changed(before, QString::fromUtf8("Przesunięcie obiektu"), kHeldArrow | MergeSession);
}

void TDesignPage::SelectNext(bool backwards) {
    const QList<TdcComponent*> objects = DesignObjects(plProjDesign);
    if (objects.isEmpty()) return;
    const qsizetype n = objects.size();
    const qsizetype at = objects.indexOf(SelectedObject());
    const qsizetype next = backwards ? (at <= 0 ? n - 1 : at - 1) : (at + 1) % n;
    PlainSelect = true;
    objects[next]->SetSelect(true);
    PlainSelect = false;
}

// ---- History ----

void TDesignPage::tbUndoClick() { StepHistory(true); }

void TDesignPage::tbRedoClick() { StepHistory(false); }

void TDesignPage::StepHistory(bool back) {
    FinishGesture();
    QUndoStack& stack = Steps->Stack;
    if (back ? !stack.canUndo() : !stack.canRedo()) return;
    back ? stack.undo() : stack.redo();
    // Back at the saved design, nothing is left to save.
    LayoutModified = !stack.isClean();
    UpdateStatus();
}
