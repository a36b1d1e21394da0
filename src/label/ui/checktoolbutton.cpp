#include "checktoolbutton.h"

#include <QMouseEvent>

TCheckToolButton* TCheckGroup::Down() const {
    for (TCheckToolButton* b : Members)
        if (b->Down()) return b;
    return nullptr;
}

TCheckToolButton::TCheckToolButton(QWidget* parent, TCheckGroup* group) : QToolButton(parent), CheckGroup(group) {
    setCheckable(true);
    setAutoRaise(true);
    if (CheckGroup) {
        CheckGroup->Members << this;
        connect(this, &QObject::destroyed, CheckGroup,
                [group = CheckGroup, this] { group->Members.removeAll(this); });
    }
}

void TCheckToolButton::SetDown(bool down) {
    if (down && CheckGroup)
        for (TCheckToolButton* other : CheckGroup->Members)
            if (other != this) other->setChecked(false);
    setChecked(down);
}

void TCheckToolButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Noted = true;
        NotedDown = isChecked();
    }
    QToolButton::mousePressEvent(event);
}

void TCheckToolButton::mouseReleaseEvent(QMouseEvent* event) {
    QToolButton::mouseReleaseEvent(event);
    // Released outside, the press made no click; its note must not outlive it.
    if (event->button() == Qt::LeftButton) Noted = false;
}

void TCheckToolButton::nextCheckState() {
    // A click from the keyboard or the program has no press: the state now
    // is the noted one.
    const bool wasDown = Noted ? NotedDown : isChecked();
    Noted = false;
    // Something else changed the button while it was held.
    if (isChecked() != wasDown) return;
    if (AllowsAllUp() || !wasDown) SetDown(!wasDown);
}
