#pragma once
#include <QObject>
#include <QString>

class QEvent;
class QPushButton;
class QStyle;
class QToolButton;
class QWidget;

// An invisible helper that a window installs in its constructor. At every
// show of the window (not the window system's own re-showing after a
// minimise) it
// - brings the controls that carry a font of their own, still at the size the
//   windows are designed with, to the size of the window's font, and
// - restyles the window's browse buttons: a tool button without a caption at
//   0, 0 of a panel of its own beside an edit box (see BrowseButton). With a
//   style that draws themed push buttons the tool button gives way, once, to
//   a push button "···" in the same place, which shares its click, tag,
//   enabled and shown state; with the classic style the tool button is made
//   square and as tall as the edit boxes, at every show.
// Browse buttons are sized by the tallest edit box that any aligner of the
// program has seen so far, so a window shown later may size them by an edit
// box of a window shown earlier; until one has been seen they stay as built.
class TAligner : public QObject {
    Q_OBJECT
public:
    // What the aligners of one program share.
    struct TState {
        int MaxEditHeight = -1;  // only grows; -1 before the first edit box
    };

    // Installs an aligner on `window`, which owns it.
    static TAligner* Install(QWidget* window);
    TAligner(QWidget* window, TState& state);

    // The push button that stands in for `browse`, or none.
    static QPushButton* Companion(const QToolButton* browse);
    // A style draws themed push buttons unless it is the classic Windows one,
    // whose flat speed-button look the square browse button matches.
    static bool Themed(const QStyle* style);
    static TState& ProgramState();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Align();
    void ReplaceByCompanion(QToolButton* browse, int side) const;

    QWidget* Window;
    TState& State;
    // The font size the window's controls were designed with; after the
    // first alignment the window's own size.
    qreal ReferenceSize;
};

// A browse button as the aligner knows it: a tool button with the style's
// open-folder icon and the hint `hint` (also its accessible name), alone at
// 0, 0 of a borderless panel of its own, both `size` square; the panel is
// shown and hidden with the button. The caller places the panel
// (button->parentWidget()) beside the edit box.
QToolButton* BrowseButton(QWidget* parent, const QString& name, const QString& hint, int size);
