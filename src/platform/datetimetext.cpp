#include "datetimetext.h"

QString DateTimeToText(const QDateTime& moment) {
    if (moment.time() == QTime(0, 0)) return moment.date().toString(QStringLiteral("yyyy-MM-dd"));
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::optional<QDateTime> TextToDateTime(const QString& text) {
    const QString t = text.trimmed();
    QDateTime dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
        if (d.isValid()) dt = QDateTime(d, QTime(0, 0));
    }
    if (!dt.isValid()) return std::nullopt;
    return dt;
}

QDateTime CurrentMoment() {
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return now;
}
