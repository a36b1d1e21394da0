#include "datafolder.h"
#include "mainform.h"
#include "prompter.h"
#include "qttranslations.h"
#include "splashform.h"
#include "widgetprompter.h"

#include <QApplication>
#include <QIcon>

namespace {

// The desktop's copy of the program's icon when it is installed, else the
// shipped pictures in every size (sharp at any scaling).
QIcon ProgramIcon() {
    QIcon shipped;
    const QString folder = GetProgramFolder() + QStringLiteral("icons/");
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        shipped.addFile(folder + QStringLiteral("hicolor/%1x%1/apps/prandel-etykiet.png").arg(size), QSize(size, size));
    shipped.addFile(folder + QStringLiteral("prandel-etykiet.svg"));
    return QIcon::fromTheme(QStringLiteral("prandel-etykiet"), shipped);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Prandel etykiet"));
    app.setApplicationDisplayName(QStringLiteral("Prandel etykiet"));
    app.setApplicationVersion(TMainForm::VersionText());
    app.setDesktopFileName(QStringLiteral("prandel-etykiet"));
    app.setWindowIcon(ProgramIcon());
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
