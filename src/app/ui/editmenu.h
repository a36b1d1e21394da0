#pragma once

class QLineEdit;
class QMenu;
class QWidget;
class TGoodsPage;

// The "Edycja" menu of the main window: the goods list commands of `page`, its
// views and marking, and "Kopiuj"/"Wklej" on the focused single-line edit box of
// `window`. Its enabling rules are applied whenever the menu opens.
void FillEditMenu(QMenu* menu, TGoodsPage* page, QWidget* window);

// "Kopiuj": the box's selected text to the clipboard.
void CopyFromEdit(QLineEdit* edit);
// "Wklej": the clipboard's text inserted at the caret (the start of a selection,
// which is kept), the caret then at the end. Nothing for a read-only box.
void PasteIntoEdit(QLineEdit* edit);
