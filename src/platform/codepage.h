#pragma once
#include <QByteArray>
#include <QString>

// Single-byte Windows-1250 text, as settings, definition and layout files hold it.
// Bytes that Windows-1250 leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) map to
// the control characters of the same number, so every byte string survives a
// round trip unchanged.
QString FromWin1250(const QByteArray& bytes);

// Characters that Windows-1250 lacks are replaced: first by their base letter
// when the character is a letter with a diacritic the code page does not know
// ("ñ" becomes "n"), the minus sign "−" by the en dash "–", otherwise by
// `standIn`.
QByteArray ToWin1250(const QString& text, char standIn = '?');

// True when every character of `text` has its own byte in Windows-1250.
bool FitsWin1250(const QString& text);
