#pragma once
#include <QString>

// The layout in use is named by a bare file name when it lies in the data
// folder's "LABELS" folder and by a full path otherwise: settings.ini, the
// configuration page and the designer all show and store it this way.

// The data folder's "LABELS" folder, with a trailing "/".
QString LayoutsFolder();
// A bare name becomes a path in LayoutsFolder(); a path, and an empty name,
// stay as they are.
QString LayoutFullPath(const QString& name);
// A path whose folder is exactly LayoutsFolder() (compared with case) becomes
// its bare file name; any other path stays as it is.
QString LayoutDisplayName(const QString& path);
