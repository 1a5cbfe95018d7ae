#include "fileio/import_scan.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include "fileio/import_settings.h"

namespace {
constexpr int kMinNameLength = 3;
constexpr std::int64_t kMinFileBytes = 5;
}  // namespace

std::vector<FolderEntry> list_import_folder(const QString& directory) {
    std::vector<FolderEntry> entries;
    if (directory.isEmpty()) return entries;
    const QFileInfoList infos = QDir(directory).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    entries.reserve(std::size_t(infos.size()));
    for (const QFileInfo& info : infos)
        entries.push_back(
            {info.fileName(), info.absoluteFilePath(), info.size(), info.lastModified().toSecsSinceEpoch()});
    return entries;
}

bool is_import_candidate(const FolderEntry& entry, const QString& filter) {
    return entry.name.size() >= kMinNameLength && entry.size >= kMinFileBytes &&
           entry.name.contains(filter, Qt::CaseSensitive);
}

int next_import_file(const std::vector<FolderEntry>& entries, const ImportSettings& settings) {
    int chosen = -1;
    for (int i = 0; i < int(entries.size()); ++i) {
        const FolderEntry& e = entries[std::size_t(i)];
        if (!is_import_candidate(e, settings.filter) || !settings.is_new(e.name, e.mtime)) continue;
        if (chosen < 0 || e.mtime < entries[std::size_t(chosen)].mtime) chosen = i;
    }
    return chosen;
}
