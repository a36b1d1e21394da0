#pragma once
#include <QDateTime>
#include <QString>

// The program's date-and-time text, used in settings.ini, in goods filters and
// wherever a moment is shown: "yyyy-MM-dd HH:mm:ss", or only "yyyy-MM-dd" when
// the moment is exactly midnight. Milliseconds are not written.
QString DateTimeToText(const QDateTime& moment);

// Reads what DateTimeToText writes (a date alone means midnight). Blanks around
// the text are allowed; anything else gives false and leaves `moment` alone.
bool TextToDateTime(const QString& text, QDateTime& moment);

// The current moment cut to whole seconds, so that it survives being written as
// text and read back.
QDateTime CurrentMoment();
