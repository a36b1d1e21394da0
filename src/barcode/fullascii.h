#pragma once
// The full-ASCII variants of Code 39 and Code 93 write each character code
// 0..127 as one or two characters of the plain symbology: Code 39 with the
// shifts "$", "%", "/", "+" before a letter, Code 93 with the same pairs and
// its own shift characters, written "[" ($), "]" (%), "{" (/) and "}" (+).
#include <QString>

enum class TFullAscii { Code39, Code93 };

// `text` in the plain characters of the symbology. A character beyond code
// 127 (a Polish letter, say) has none: TBarcodeError "bad Data".
QString ToFullAscii(const QString& text, TFullAscii symbology);
