#include "clisession.h"

#include "clicommand.h"
#include "datafolder.h"
#include "goodstable.h"
#include "settingskeys.h"

#include <QFileInfo>

TCliSession::TCliSession() {
    EnsureDataFolder();
    // A brand-new data folder gets what the first start copies; files already
    // there are never replaced.
    if (!QFileInfo(DataPath(QStringLiteral("LABELS"))).isDir() || !QFileInfo(DataPath(QStringLiteral("SQLCFG"))).isDir())
        PrepareFirstRun();
    Settings = ReadSettingsOrDefaults(SettingsFilePath());
}

bool TCliSession::OpenGoods(TViewCode view) {
    Goods.tbLocalShow.SetFilter(ViewFilter(view, Settings.LastPrintDate));
    Goods.tbLocalShow.SetFiltered(true);
    const QStringList errors = Goods.Open();
    for (const QString& e : errors) CliError(e);
    return errors.isEmpty() && Goods.tbLocalShow.Active();
}

bool TCliSession::EnsureGoodsTable() {
    if (Goods.Store->Create()) return true;
    CliError(QStringLiteral("błąd podczas tworzenia bazy danych towarów."));
    return false;
}
