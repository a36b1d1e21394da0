#pragma once
#include <QList>
#include <QObject>
#include <QToolButton>

class TCheckToolButton;

// Buttons of which at most one is down. With AllowAllUp the down button can
// be raised by a click, leaving all of them up; without it one stays down.
class TCheckGroup : public QObject {
    Q_OBJECT
public:
    TCheckGroup(bool allowAllUp, QObject* parent) : QObject(parent), AllowAllUp(allowAllUp) {}
    const bool AllowAllUp;
    const QList<TCheckToolButton*>& Buttons() const { return Members; }
    // The button that is down, or none.
    TCheckToolButton* Down() const;

private:
    friend class TCheckToolButton;
    QList<TCheckToolButton*> Members;
};

// A tool button of the check style. A press notes whether the button was
// down; when the click arrives and the button is still as noted, the click
// inverts it, unless it was down in a group that must keep one button down.
// So a click always toggles an independent button or one of a group that
// allows all up, while a grouped button that is down stays down. The ordinary
// click action (the `clicked` signal) runs afterwards.
//
// SetDown changes the state from the program: it raises the other buttons of
// the group and fires no click.
class TCheckToolButton : public QToolButton {
    Q_OBJECT
public:
    explicit TCheckToolButton(QWidget* parent = nullptr, TCheckGroup* group = nullptr);

    TCheckGroup* Group() const { return CheckGroup; }
    bool Down() const { return isChecked(); }
    void SetDown(bool down);
    bool AllowsAllUp() const { return !CheckGroup || CheckGroup->AllowAllUp; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void nextCheckState() override;

private:
    TCheckGroup* CheckGroup;
    bool Noted = false;
    bool NotedDown = false;
};
