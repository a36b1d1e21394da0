#pragma once
#include <functional>

class QObject;
class QWidget;

// Help pages are Polish HTML files in the program folder's "help" folder, one
// per help context ("8.html"), with "index.html" as contents. One help window
// is shared by the whole program and stays open beside it.
void ShowHelpContents(QWidget* parent);
void ShowHelpTopic(int context, QWidget* parent);

// F1 in any window of the program opens the help page of that window: the
// context its window (or the nearest window it belongs to) carries in the
// property "HelpContext", else `fallback` (the main window's current page).
// The handler lives as long as `owner`.
void InstallHelpKey(QObject* owner, std::function<int()> fallback);

// The help context of a window, as the F1 key reads it: its own property, or
// that of the window it belongs to; 0 for none.
int HelpContextOf(const QWidget* widget);
