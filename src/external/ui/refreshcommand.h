#pragma once
#include "unitprice.h"

#include <functional>

class TExternalDatabase;
class TODBCManager;
class TProgressForm;
class TTable;

// The pieces of the main window that the command "Aktualizacja" works with.
struct TRefreshPieces {
    TODBCManager* Manager = nullptr;
    TExternalDatabase* dbOutside = nullptr;
    TTable* tbLocal = nullptr;
    TTable* tbLocalShow = nullptr;
    TProgressForm* ProgressForm = nullptr;
    bool* UpdateCancelRequested = nullptr;
    // Copies the configuration page's database fields into the manager.
    std::function<void()> StoreDatabaseFields;
    // The unit symbols of the settings.
    std::function<TUnitSymbols()> Symbols;
    // Switches the grid's view selector to "Zmienione" and applies it.
    std::function<void()> ShowChanged;
};

// The command "Aktualizacja" (button and menu item): the data source for ODBC
// types, the connection with the login parameters, the confirmation, then
// the run inside the modal progress dialog.
void sbtnRefreshClick(TRefreshPieces& pieces);
