#pragma once
// What the designer's widget tests share: a shown design page on a fresh data
// folder with the scripted prompter, and the gestures of a user.
#include "dcimage.h"
#include "dclabel.h"
#include "designio.h"
#include "designpage.h"
#include "designpanel.h"
#include "prompter.h"
#include "settings.h"
#include "testsupport.h"

#include <QString>
#include <functional>

class TEditTextForm;

namespace designertest {

// Script answers of the designer's dialogs.
void AnswerText(TScriptedPrompter& prompter, const std::optional<QString>& text);
void AnswerBitmap(TScriptedPrompter& prompter, const QString& path);
void AnswerLabelSize(TScriptedPrompter& prompter, int heightSteps, int widthSteps, bool ok,
                     QStringList* shown = nullptr);

// The pointer put on `p` of `w`, then a click there.
void ClickAt(QWidget* w, QPoint p);
// A drag of an object with the left button from `from` to `to` (in its own
// coordinates before the drag), in `steps` moves.
void DragObject(QWidget* w, QPoint from, QPoint to, int steps = 4);
// Drags the handle under `handle` (object coordinates) by `by`: the pointer
// rests on it first, so that the object takes the size cursor.
void DragHandle(QWidget* w, QPoint handle, QPoint by);
// A key on the panel.
void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false);
// A picture file of `size` in one colour.
QString WritePicture(const QString& path, QSize size, QColor color, const char* format = "BMP");

}  // namespace designertest
