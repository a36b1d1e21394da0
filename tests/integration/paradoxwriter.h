#pragma once
#include <QList>
#include <QString>
#include <QVariant>
#include <vector>

// Paradox tables for tests, written by pxlib: an independent writer, so that
// our reader is not only checked against files of its own making.
struct TPxTestField {
    QByteArray Name;
    char Type;  // pxlib's field type code
    int Length;
};

// Values by field: QString (alpha and memo, written in Windows-1250), int,
// double, bool, QDate, QTime, QDateTime, for BCD fields a QByteArray with the
// number's text, and for memo fields a QByteArray taken as it is (formatted
// memos); a null QVariant leaves the field empty. False with
// `error` set when pxlib fails. With `memoPath` the memo values longer than
// their field go into that file.
bool WriteParadoxTable(const QString& path, const std::vector<TPxTestField>& fields, const QList<QVariantList>& rows,
                       const QString& memoPath, QString& error);
