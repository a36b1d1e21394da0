#include "refreshcommand.h"

#include "externaldb.h"
#include "goodssession.h"
#include "goodsupdate.h"
#include "odbcmanager.h"
#include "progressform.h"
#include "prompter.h"
#include "silentfailure.h"

#include <QCoreApplication>
#include <QProgressBar>

void sbtnRefreshClick(const TRefreshPieces& p) {
    if (p.StoreDatabaseFields) p.StoreDatabaseFields();
    TODBCManager& manager = p.Manager;
    if (!IsFolderType(manager.GetDbType())) {
        try {
            manager.CreateDataSource();
        } catch (const TODBCManagerException& e) {
            SilentFailure(lcExternal, QStringLiteral("the ODBC data source was not made"), e);
            Prompter::current().error(DataSourceErrorText(e.Code, manager.GetDbTypeName(), e.Driver));
            return;
        } catch (const std::exception& e) {
            SilentFailure(lcExternal, QStringLiteral("the ODBC data source was not made"), e);
            Prompter::current().error(DataSourceErrorText(0, manager.GetDbTypeName()));
            return;
        }
    }
    try {
        ConnectOutside(p.dbOutside, manager);
    } catch (const std::exception& e) {
        const auto* external = dynamic_cast<const TExternalError*>(&e);
        SilentFailure(lcExternal, QStringLiteral("no connection to the external database: %1")
                                      .arg(external ? external->Message() : QString::fromUtf8(e.what())));
        Prompter::current().error(kUpdateConnectError);
        return;
    }
    // Declined: the connection stays open until the next run.
    if (!Prompter::current().confirmOkCancel(kUpdateConfirm)) return;
    QCoreApplication::processEvents();

    TProgressForm& form = p.ProgressForm;
    TUpdateRun run;
    run.dbOutside = &p.dbOutside;
    run.Manager = &p.Manager;
    run.Store = p.Goods.Store.get();
    run.tbLocalShow = &p.Goods.tbLocalShow;
    run.Symbols = UnitSymbolsOf(p.Settings);
    run.UpdateCancelRequested = form.CancelRequested;
    run.SetMaximum = [&form](int max) { form.prRefresh->setRange(0, max); };
    run.StepProgress = [&form] {
        if (form.prRefresh->value() < form.prRefresh->maximum()) form.prRefresh->setValue(form.prRefresh->value() + 1);
    };
    run.ProcessMessages = [] { QCoreApplication::processEvents(); };
    run.ShowChanged = p.ShowChanged;
    // OK waits with the progress form's Cancel at hand.
    run.OtherUpdateBusy = [] { return Prompter::current().confirmOkCancel(kUpdateBusy); };
    form.OnRun = [&run] { UpdateGoods(run); };
    Prompter::current().runDialog(form);
    form.OnRun = nullptr;
}
