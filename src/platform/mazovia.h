#pragma once
#include <QByteArray>

// Text of old Polish DOS programs in the Mazovia code page, turned into the
// program's Windows-1250 bytes. Only the Polish letters differ between the two;
// every other byte is kept, so the length never changes.
QByteArray MazoviaToWin1250(const QByteArray& bytes);
