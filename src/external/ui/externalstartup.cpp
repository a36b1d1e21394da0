#include "externalstartup.h"

#include "dbconfigform.h"
#include "odbcmanager.h"
#include "prompter.h"

QString InitExternalDatabase(TODBCManager& manager, const QString& settingsDefinition, QStringList& errors,
                             TMSSQLServers* servers, QWidget* parent) {
    try {
        if (!settingsDefinition.isEmpty())
            manager.SelectDefinition(settingsDefinition);
        else
            ShowDBConfigDialog(manager, servers, parent);
    } catch (const TODBCManagerException&) {
        errors << QStringLiteral("błąd podczas odczytu pliku konfiguracji zewnętrznej bazy danych.");
        return settingsDefinition;
    }
    return manager.GetDefinitionName();
}

bool SaveExternalDatabaseOnClose(TODBCManager& manager) {
    if (manager.Save()) return true;
    Prompter::current().error(QStringLiteral("Wystąpił błąd podczas zapisu pliku konfiguracji zewnętrznej bazy danych."));
    return false;
}
