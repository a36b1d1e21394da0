#include "datafolder.h"
#include "mainform.h"
#include "prompter.h"
#include "qttranslations.h"
#include "splashform.h"
#include "widgetprompter.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Prandel etykiet"));
    app.setApplicationDisplayName(QStringLiteral("Prandel etykiet"));
    app.setApplicationVersion(TMainForm::VersionText());
    app.setDesktopFileName(QStringLiteral("prandel-etykiet"));
    app.setWindowIcon(QIcon(GetProgramFolder() + QStringLiteral("icons/prandel-etykiet.svg")));
    InstallQtTranslations(app);
    EnsureDataFolder();

    TWidgetPrompter prompter;
    Prompter::install(&prompter);
    TMainForm mainForm;
    prompter.SetDialogParent(&mainForm);
    {
        TSplashScreenForm splash(&mainForm);
        splash.exec();
    }
    mainForm.show();
    const int result = app.exec();
    Prompter::install(nullptr);
    return result;
}
