#pragma once
#include "designio.h"
#include "designtoolbars.h"

#include <QWidget>
#include <functional>

class QAction;
class QLabel;
class QScrollArea;
class TDesignHistory;
class TDesignPanel;
class TdcComponent;
class TdcImage;
class TdcLabel;
class TSettings;
struct TDesignState;

// Page 1 of the main window, the label designer: the layout's file name, the
// three toolbars, the design panel `plProjDesign` in the scroll area
// `sbDesign` and a status line under it.
//
// It works on the window's settings (the layout file, the zoom) and sets the
// window's LayoutModified flag by reference. Every command is a public
// operation named after the control that runs it, so that it can be run
// without a mouse; every question goes through the Prompter. Each change of
// the design is also one step of the undo history; undoing back to the saved
// design clears LayoutModified.
class TDesignPage : public QWidget, public TDesignControls {
    Q_OBJECT
public:
    TDesignPage(TSettings& settings, bool& layoutModified, QWidget* parent = nullptr);
    ~TDesignPage() override;

    QScrollArea* sbDesign = nullptr;
    TDesignPanel* plProjDesign = nullptr;
    QLabel* lbStatus = nullptr;
    QAction* acUndo = nullptr;
    QAction* acRedo = nullptr;

    // The layout file named by the settings into the panel (the first object
    // selected, the history cleared); false when the file exists but cannot
    // be read. LayoutModified stays as it is.
    bool ReloadLayout();
    // The panel written to another file (the preview's scratch layout).
    bool SaveLayoutTo(const QString& path) const;
    // The file name box shows the layout in display form, and gives it back.
    void ShowFileName();
    void StoreFileName();

    // Placing objects.
    void plProjDesignClick();
    void CreateObjectAt(int kind);
    bool IsKindButtonDown() const;

    // Selection and the toolbars that follow it.
    void ObjectSelected(TdcComponent* object);
    void ObjectChanged(TdcComponent* object);
    void EditObjectText(TdcComponent* object);
    void DeselectAllExcept(TdcComponent* object);
    TdcLabel* SelectedLabel() const;
    TdcImage* SelectedImage() const;
    void SyncLabelToolbar(TdcLabel* label);
    void SyncImageToolbar(TdcImage* image);
    void SyncFontControls(const TdcComponent& font, int size);

    // Property edits of the selected object.
    void cbFontChange();
    void cbFontSizeChange();
    void cbColorsChange();
    void tbLeftClick(QObject* button);
    void tbBoldClick(QObject* button);
    void tbRealClick(QObject* button);
    void cbSymbolChange();
    void tbGs1Click();
    void tbDeleteClick();

    // Zoom and label size.
    void ZoomBy(bool up);
    void tbZoomInClick() { ZoomBy(true); }
    void tbZoomOutClick() { ZoomBy(false); }
    void tbLabelSizeClick();

    // Files.
    void tbOpenClick();
    void tbSaveClick();
    void tbSaveAsClick();

    // The history.
    void tbUndoClick();
    void tbRedoClick();
    TDesignHistory& History() const { return *Steps; }

    // Dialogs.
    QString ChooseBitmap();
    QString AskText(const QString& initial);
    bool AskLabelSize(int& height, int& width);

    // The keyboard on the panel: arrows move the selected object by a pixel
    // (with Shift by ten), Delete removes it, Tab selects the next object.
    bool KeyPress(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);

    // The sound of a refused entry; tests count it.
    std::function<void()> Beep;

signals:
    // "Podgląd wydruku": the window previews the design as it is on the panel.
    void PreviewRequested();
    // Open asks the window to offer saving a modified layout first.
    void SaveQuestion();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPanel();
    void Connect();
    void BuildHistoryActions();
    // The designer's handlers on an object it created or loaded.
    void Adopt(TdcComponent* object);
    TdcComponent* SelectedObject() const;
    quint8 Scale() const;
    bool LoadDesign(const QString& path);
    bool SaveDesign(const QString& path) const;
    // One change of the design: LayoutModified and one step of history.
    void Changed(const TDesignState& before, const QString& what, int mergeKey = 0);
    void FinishGesture();
    void StepHistory(bool back);
    void MoveSelected(int dx, int dy, bool held);
    void SelectNext(bool backwards);
    void UpdateStatus();
    void UpdateHistoryButtons();

    TSettings& Settings;
    bool& LayoutModified;
    // The designer's handlers, given to every object it creates or loads.
    TDesignHooks Hooks;
    TDesignHistory* Steps = nullptr;
    // Steps that follow each other as one (a typed font size, a held arrow
    // key) share a session; anything else starts a new one.
    int MergeSession = 0;
    // Selection by loading, by the history or by the keyboard places nothing.
    bool PlainSelect = false;
};
