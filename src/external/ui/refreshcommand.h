#pragma once
#include <functional>

class TExternalDatabase;
class TGoodsSession;
class TODBCManager;
class TProgressForm;
class TSettings;

// What the command "Aktualizacja" works with: the window's definition
// manager, external database, goods session, settings (the unit symbols) and
// its update progress dialog, whose Cancel stops the run.
struct TRefreshPieces {
    TRefreshPieces(TODBCManager& manager, TExternalDatabase& dbOutside, TGoodsSession& goods, const TSettings& settings,
                   TProgressForm& progressForm)
        : Manager(manager), dbOutside(dbOutside), Goods(goods), Settings(settings), ProgressForm(progressForm) {}
    TODBCManager& Manager;
    TExternalDatabase& dbOutside;
    TGoodsSession& Goods;
    const TSettings& Settings;
    TProgressForm& ProgressForm;
    // Copies the configuration page's database fields into the manager.
    std::function<void()> StoreDatabaseFields;
    // Switches the grid's view selector to "Zmienione" and applies it.
    std::function<void()> ShowChanged;
};

// The command "Aktualizacja" (button and menu item): the data source for ODBC
// types, the connection with the login parameters, the confirmation, then
// the run inside the modal progress dialog.
void sbtnRefreshClick(const TRefreshPieces& pieces);
