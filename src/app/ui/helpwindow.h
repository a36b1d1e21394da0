#pragma once
class QWidget;

// Help pages are Polish HTML files in the program folder's "help" folder, one
// per help context ("8.html"), with "index.html" as contents. One help window
// is shared by the whole program and stays open beside it.
void ShowHelpContents(QWidget* parent);
void ShowHelpTopic(int context, QWidget* parent);
// Connects F1 in `widget` (a dialog or the main window) to a fixed topic.
void AttachHelp(QWidget* widget, int context);
