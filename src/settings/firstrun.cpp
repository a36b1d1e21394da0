#include "firstrun.h"

#include "inifile.h"
#include "settingskeys.h"
#include "silentfailure.h"

#include <optional>

namespace {
std::optional<bool> gFirstRun;
}  // namespace

bool IsFirstRun() {
    if (gFirstRun) return *gFirstRun;
    TIniFile ini(SettingsFilePath());
    const bool first = ReadSettingBool(ini, SettingKeys::FirstRun);
    if (first) {
        WriteSetting(ini, SettingKeys::FirstRun, false);
        // A failure does not change the answer.
        if (!ini.UpdateFile()) SilentFailure(lcSettings, QStringLiteral("first-run marker not written to %1").arg(ini.FileName()));
    }
    gFirstRun = first;
    return first;
}

void ResetFirstRunCache() { gFirstRun.reset(); }
