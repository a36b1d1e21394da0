#include "qttranslations.h"

#include "silentfailure.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtTranslations(QCoreApplication& app) {
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    QLocale::setDefault(polish);
    // Every Qt module the program uses translates through the qtbase catalogue.
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(polish, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        SilentFailure(lcPlatform, QStringLiteral("no Polish Qt translations in %1").arg(folder));
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
