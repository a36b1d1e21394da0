#pragma once
#include <QString>

// The folder that holds settings.ini and the folders "DB", "SQLCFG" and
// "LABELS": "$XDG_DATA_HOME/Prandel etykiet/" (by default
// "~/.local/share/Prandel etykiet/"), always with a trailing "/". Computed on the
// first call and cached for the process.
QString GetDataFolder();

// Creates the data folder with its missing parents when it does not exist.
bool EnsureDataFolder();

// The per-user data folder is always in use on this platform; kept as a
// function because the first-run copy depends on it.
bool UsesUserDataFolder();

// Copies "SQLCFG" and "LABELS" from the program folder into the data folder,
// never overwriting a file that is already there. Failures are silent.
void PrepareFirstRun();

// The folder with the shipped files (help pages, initial definitions and
// layouts), with a trailing "/": the installed share folder, or the build tree's
// copy when the program runs from the build.
QString GetProgramFolder();

// Data folder path helpers.
QString DataPath(const QString& name);

// For tests and the command-line --data-dir option: forget cached answers and
// use `folder` (with or without trailing "/") as data folder, or recompute from
// the environment when it is empty.
void SetDataFolderOverride(const QString& folder);
void SetProgramFolderOverride(const QString& folder);
