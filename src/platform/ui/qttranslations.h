#pragma once

class QCoreApplication;

// Qt's own texts (the standard buttons, the file and colour dialogs of the
// PDF printer and the frame colour, the context menus of edit boxes) in
// Polish, like the rest of the program, whatever the desktop's language. The
// translations come from the system's Qt (Debian's qt6-translations-l10n);
// false when they are not installed, and Qt's English texts stay.
bool InstallQtTranslations(QCoreApplication& app);
