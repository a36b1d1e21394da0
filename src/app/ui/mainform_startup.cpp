// Start-up of the main window: the loading step under the splash window and
// the initialisation that follows once the window is on screen.
#include "mainform.h"

#include "designpage.h"
#include "externalstartup.h"
#include "goodspage.h"
#include "odbcmanager.h"
#include "prompter.h"
#include "sqlservers.h"
#include "settingskeys.h"

void TMainForm::LoadingStep() {
    StartupErrors.clear();
    Loading = true;
    if (Settings.LoadFromFile(SettingsFilePath())) {
        if (!DesignPage->ReloadLayout())
            StartupErrors << QString::fromUtf8("błąd podczas odczytu pliku wyglądu etykiety: \"%1\".")
                                 .arg(Settings.LabelFileName);
    } else {
        StartupErrors << QString::fromUtf8("błąd podczas odczytu pliku konfiguracji programu.");
    }
    StartupErrors << GoodsPage->OpenGoodsList();
    GoodsPage->ShowView(TViewCode::All);
    Loading = false;
    // A copy: the handler unsubscribes itself while it runs.
    const auto handler = OnLoadFinished;
    if (handler) handler(this);
}

void TMainForm::DeferredInit() {
    Settings.DatabaseType = InitExternalDatabase(*ODBCManager, Settings.DatabaseType, StartupErrors, SQLServers.get(), this);
    FillConfigurationPage();
    if (StartupErrors.isEmpty()) return;
    QString text = StartupErrors.size() == 1
                       ? QString::fromUtf8("Wystapił błąd podczas inicjalizacji programu:")    // sic
                       : QString::fromUtf8("Wystąpiły błędy podczas inizjalizacji programu:");  // sic
    for (const QString& e : StartupErrors) text += QStringLiteral("\n-") + e;
    Prompter::current().error(text);
}
