#pragma once
#include <QLoggingCategory>
#include <QString>
#include <exception>

// Where a failure is deliberately absorbed (a picture that cannot be read, a
// settings write that must not stop the close, a grid repaint after a failed
// read) it still leaves a trace: one warning line in the category of the
// subsystem, so that a shop's "nothing happened" can be diagnosed with
// QT_LOGGING_RULES or the journal. Nothing is shown to the user.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcGoods)
Q_DECLARE_LOGGING_CATEGORY(lcLabel)
Q_DECLARE_LOGGING_CATEGORY(lcPrint)
Q_DECLARE_LOGGING_CATEGORY(lcExternal)
Q_DECLARE_LOGGING_CATEGORY(lcApp)

// A category as Q_DECLARE_LOGGING_CATEGORY declares it.
using TLogCategory = const QLoggingCategory& (*)();

// Logs `what` (and the exception text, when there is one) as a warning of
// `category`, then returns so that the caller can go on silently.
void SilentFailure(const QLoggingCategory& category, const QString& what);
void SilentFailure(const QLoggingCategory& category, const QString& what, const std::exception& error);
// The same, with the category named as declared (`lcGoods` rather than `lcGoods()`).
inline void SilentFailure(TLogCategory category, const QString& what) { SilentFailure(category(), what); }
inline void SilentFailure(TLogCategory category, const QString& what, const std::exception& error) {
    SilentFailure(category(), what, error);
}
