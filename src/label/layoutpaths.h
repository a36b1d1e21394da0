#pragma once
#include <QString>

// The layout in use is named by a bare file name when it lies in the data
// folder's "LABELS" folder and by a full path otherwise.

// The data folder's "LABELS" folder, with a trailing "/".
QString LayoutsFolder();
// A bare name becomes a path in LayoutsFolder(); a path stays as it is.
QString LayoutFullPath(const QString& name);
// A path in LayoutsFolder() (compared with case) becomes its bare file name;
// any other path stays as it is.
QString LayoutDisplayName(const QString& path);
