#include "datetimetext.h"

QString DateTimeToText(const QDateTime& moment) {
    if (!moment.isValid()) return QString();
    if (moment.time() == QTime(0, 0)) return moment.date().toString(QStringLiteral("yyyy-MM-dd"));
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool TextToDateTime(const QString& text, QDateTime& moment) {
    const QString t = text.trimmed();
    // Exact lengths keep out texts that Qt's parser would otherwise stretch to fit.
    if (t.size() == 10) {
        const QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid()) return false;
        moment = QDateTime(d, QTime(0, 0));
        return true;
    }
    if (t.size() == 19) {
        const QDateTime m = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!m.isValid()) return false;
        moment = m;
        return true;
    }
    return false;
}

QDateTime CurrentMoment() {
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return now;
}
