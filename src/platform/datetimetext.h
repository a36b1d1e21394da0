#pragma once
#include <QDateTime>
#include <QString>
#include <optional>

// Date-times as text in settings and filters: "yyyy-MM-dd HH:mm:ss", the time
// left out when it is exactly midnight. Whole seconds only, so a moment written
// and read back compares equal to the stored one.
QString DateTimeToText(const QDateTime& moment);
// Accepts both forms; nullopt for anything else.
std::optional<QDateTime> TextToDateTime(const QString& text);
// The current moment cut to whole seconds.
QDateTime CurrentMoment();
