// Takes the pictures of the README and the help pages from the real program
// on the demonstration shop: the main window after an update, a marked
// selection, the designer, the preview, the configuration page and the
// dialogs. Run through tools/screenshots.sh, which starts it under Xvfb.
//
//   prandel-screenshots OUTPUT_FOLDER
#include "datafolder.h"
#include "dbconfigform.h"
#include "designpage.h"
#include "designio.h"
#include "editrecordform.h"
#include "filewrite.h"
#include "goodspage.h"
#include "inifile.h"
#include "loginforms.h"
#include "mainform.h"
#include "odbcmanager.h"
#include "prompter.h"
#include "settingskeys.h"
#include "splashform.h"

#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

namespace {

QString gOut;
int gFailures = 0;

void Settle(int ms = 200) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void Save(QWidget& w, const char* name) {
    Settle();
    const QString path = gOut + u'/' + QLatin1String(name) + QStringLiteral(".png");
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    if (!w.grab().save(&png, "PNG") || !ReplaceFile(path, png.data())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++gFailures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

// A dialog the program runs through the prompter: shown, photographed, closed.
TScriptedPrompter::DialogScript Photograph(const char* name, int result = QDialog::Rejected) {
    return [name, result](QObject& o) {
        auto& d = dynamic_cast<QDialog&>(o);
        d.show();
        Save(d, name);
        d.hide();
        return result;
    };
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "użycie: prandel-screenshots KATALOG\n");
        return 2;
    }
    gOut = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(gOut);
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    SetDataFolderOverride(QString());
    EnsureDataFolder();

    TScriptedPrompter script;
    script.defaultConfirm = true;
    Prompter::install(&script);
    {
        TMainForm form;
        {
            TSplashScreenForm splash(&form);
            splash.show();
            splash.FormActivate();
            Save(splash, "splash");
        }
        TIniFile(SettingsFilePath()).WriteString(QStringLiteral("DATABASE"), QStringLiteral("TYPE"),
                                                 QStringLiteral("Sklep demonstracyjny"));
        form.LoadingStep();
        form.DeferredInit();
        form.show();
        form.resize(form.width(), 620);

        // The update, its progress dialog, then the list of changed goods.
        script.answerDialog([](QObject& o) { return dynamic_cast<QDialog&>(o).exec(); });
        form.sbtnRefresh->click();
        Save(form, "main");

        // Marking the goods of the view.
        form.GoodsPage->sbtnCheckAll->click();
        Save(form, "marked");

        // The label of the current good.
        script.answerDialog(Photograph("preview"));
        form.GoodsPage->sbtnShow->click();

        // The record dialog.
        script.answerDialog(Photograph("record"));
        form.GoodsPage->EditRecord();

        // Logging in as the administrator (no password set yet).
        script.answerDialog([](QObject& o) {
            auto& login = dynamic_cast<TLogForm&>(o);
            login.show();
            Save(login, "login");
            login.edUserName->clear();
            login.edPasswd->clear();
            return int(QDialog::Accepted);
        });
        form.sbtnLoginClick();
        script.answerDialog(Photograph("password"));
        form.sbtnChangePasswdClick();

        // The designer with the 58 × 40 mm layout, its price selected.
        form.sbtnProject->click();
        script.answerPath(DataPath(QStringLiteral("LABELS/58x40.etk")));
        form.DesignPage->tbOpenClick();
        const auto objects = DesignObjects(form.DesignPage->plProjDesign);
        if (!objects.isEmpty()) objects.first()->SetSelect(true);
        Save(form, "designer");

        // The configuration page and the external database dialog.
        form.sbtnConfiguration->click();
        Save(form, "configuration");
        script.answerDialog(Photograph("database"));
        ShowDBConfigDialog(*form.ODBCManager, nullptr, &form);

        form.sbtnPrint->click();
        script.clear();
        script.defaultConfirm = false;  // closing: keep the layout as it is
    }
    Prompter::install(nullptr);
    return gFailures == 0 ? 0 : 1;
}
