#pragma once
#include <QString>
#include <QStringList>

class QWidget;
class TMSSQLServers;
class TODBCManager;

// The end of start-up for the external database: loads the definition that
// settings name, or on a first start (no name) asks for one with the
// configuration dialog. Returns the definition name settings keep from now
// on; when loading fails, the line for the start-up error box is added to
// `errors` and the settings' name is returned unchanged.
QString InitExternalDatabase(TODBCManager& manager, const QString& settingsDefinition, QStringList& errors,
                             TMSSQLServers* servers = nullptr, QWidget* parent = nullptr);

// Writes the definition file when the program closes; a failure is shown to
// the user. Returns whether the file was written.
bool SaveExternalDatabaseOnClose(TODBCManager& manager);
