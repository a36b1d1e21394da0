#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh data folder for one test: XDG_DATA_HOME points into a temporary
// folder and every cached answer about the data folder is forgotten.
class TempDataHome {
public:
    TempDataHome();
    ~TempDataHome();
    QString root() const { return Dir.path(); }
    // The program's data folder inside it, with a trailing "/".
    QString dataFolder() const;
    QString path(const QString& name) const { return dataFolder() + name; }

private:
    QTemporaryDir Dir;
    QByteArray OldXdg;
    bool HadXdg;
};

QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);
// The source tree's data folder.
QString SourceDataDir();
