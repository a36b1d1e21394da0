#include "silentfailure.h"


Q_LOGGING_CATEGORY(lcPlatform, "prandel.platform")
Q_LOGGING_CATEGORY(lcSettings, "prandel.settings")
Q_LOGGING_CATEGORY(lcGoods, "prandel.goods")
Q_LOGGING_CATEGORY(lcLabel, "prandel.label")
Q_LOGGING_CATEGORY(lcPrint, "prandel.print")
Q_LOGGING_CATEGORY(lcExternal, "prandel.external")
Q_LOGGING_CATEGORY(lcApp, "prandel.app")

void SilentFailure(const QLoggingCategory& category, const QString& what) { qCWarning(category).noquote() << what; }

void SilentFailure(const QLoggingCategory& category, const QString& what, const std::exception& error) {
    qCWarning(category).noquote() << what << QStringLiteral("(") + QString::fromUtf8(error.what()) + u')';
}
