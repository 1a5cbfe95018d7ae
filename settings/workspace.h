#pragma once

#include <QString>
#include <QStringList>

// Folder kinds of workspace_path.
enum FolderKind : int { kFolderNone = 0, kFolderDevices = 1, kFolderConfig = 2, kFolderLog = 3 };

// The subfolder of a folder kind ("Config/", "Devices/", "LOG/"; empty for kFolderNone): the
// folder names live here and nowhere else.
QString workspace_folder(int kind);
// root + subfolder of `kind` + name.
QString workspace_file(const QString& root, const QString& name, int kind);

// The workspace root for an environment given as "NAME=value" entries. VELD_WORKSPACE, when set
// and not empty, names the root itself (a slash is added). Otherwise the first entry that
// contains USERPROFILE wins (Windows layout, backslashes turned into slashes). Without it,
// on Linux and macOS, HOME gives "$HOME/Documents/Veld/"; with neither the root is relative.
QString workspace_root_for(const QStringList& environment);

// Full path of a workspace file: root + subfolder of `kind` + name. Pure: touches no file.
QString workspace_path_for(const QStringList& environment, const QString& name, int kind);

// This process's environment, in its own order.
QStringList process_environment();

// The same for this process's environment.
QString workspace_root();
QString workspace_path(const QString& name, int kind);

// Whether `name` names a file directly inside a workspace folder: not empty, no path separator,
// not "." or "..", no drive. Log, definition, layout and import file names must be such names, so
// that nothing is read or written outside the workspace folders.
bool is_plain_file_name(const QString& name);

// Creates the root, Config/, Devices/ and LOG/ where missing. Returns one message per folder
// that could not be created (empty when all exist).
QStringList ensure_workspace_folders(const QString& root);
