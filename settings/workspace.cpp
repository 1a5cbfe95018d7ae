#include "settings/workspace.h"

#include <QDir>

#ifdef Q_OS_WIN
#include <stdlib.h>
#else
extern char** environ;
#endif

QString workspace_folder(int kind) {
    switch (kind) {
        case kFolderDevices:
            return QStringLiteral("Devices/");
        case kFolderConfig:
            return QStringLiteral("Config/");
        case kFolderLog:
            return QStringLiteral("LOG/");
        default:
            return QString();
    }
}

QString workspace_file(const QString& root, const QString& name, int kind) {
    return root + workspace_folder(kind) + name;
}

namespace {

QString value_of(const QString& entry) {
    return entry.mid(entry.indexOf(QLatin1Char('=')) + 1);
}

}  // namespace

QString workspace_root_for(const QStringList& environment) {
    // An unattended logger is given its workspace by name (an environment file of its service).
    for (const QString& entry : environment) {
        if (!entry.startsWith(QLatin1String("VELD_WORKSPACE=")) || entry.size() <= 15) continue;
        QString root = value_of(entry);
        root.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!root.endsWith(QLatin1Char('/'))) root += QLatin1Char('/');
        return root;
    }
    for (const QString& entry : environment) {
        if (entry.contains(QLatin1String("USERPROFILE"))) {
            QString root = value_of(entry) + QStringLiteral("/Documents/Veld/");
            root.replace(QLatin1Char('\\'), QLatin1Char('/'));
            return root;
        }
    }
#ifdef Q_OS_WIN
    return QStringLiteral(".\\");
#else
    for (const QString& entry : environment) {
        if (entry.startsWith(QLatin1String("HOME=")) && entry.size() > 5)
            return value_of(entry) + QStringLiteral("/Documents/Veld/");
    }
    return QStringLiteral("./");
#endif
}

QString workspace_path_for(const QStringList& environment, const QString& name, int kind) {
    return workspace_root_for(environment) + workspace_folder(kind) + name;
}

QStringList process_environment() {
    // The entries in the order the process got them: the first USERPROFILE match decides.
    QStringList entries;
#ifdef Q_OS_WIN
    for (wchar_t** e = _wenviron; e && *e; ++e) entries << QString::fromWCharArray(*e);
#else
    for (char** e = environ; e && *e; ++e) entries << QString::fromLocal8Bit(*e);
#endif
    return entries;
}

QString workspace_root() {
    return workspace_root_for(process_environment());
}

QString workspace_path(const QString& name, int kind) {
    return workspace_path_for(process_environment(), name, kind);
}

bool is_plain_file_name(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    for (const QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() == 0)
            return false;
    return true;
}

QStringList ensure_workspace_folders(const QString& root) {
    QStringList problems;
    for (const QString& sub : {QString(), workspace_folder(kFolderConfig), workspace_folder(kFolderDevices),
                               workspace_folder(kFolderLog)}) {
        const QString path = root + sub;
        if (QDir(path).exists()) continue;
        if (!QDir().mkpath(path)) problems << QStringLiteral("Cannot create workspace folder %1").arg(path);
    }
    return problems;
}
