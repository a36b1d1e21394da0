#pragma once
#include <QString>

// The key under which stored passwords are enciphered (the SQL Server login
// of a definition, the goods server's login in the settings).
inline constexpr char kPasswordKey[] = ";mqpvwz;trbnhxoe";

// RC4 of the text's Windows-1250 bytes followed by their MD5 digest, written as
// upper-case hexadecimal digits; the empty text stays empty.
QString EncipherText(const QString& key, const QString& plain);

// The inverse of EncipherText. A damaged, truncated or foreign stored text
// (bad digits, fewer than 17 bytes, a digest that does not match) reads as the
// empty text; it never fails otherwise.
QString DecipherText(const QString& key, const QString& stored);
