#pragma once

#include <QString>
#include <cstdint>
#include <vector>

struct ImportSettings;

// A file of the import directory as one scan saw it.
struct FolderEntry {
    QString name;
    QString path;  // absolute
    std::int64_t size = 0;
    std::int64_t mtime = 0;  // seconds since the epoch

    bool operator==(const FolderEntry& o) const {
        return name == o.name && size == o.size && mtime == o.mtime;
    }
};

// The files of `directory`, sorted by name ignoring case; hidden files and folders are not
// listed. A missing directory lists nothing.
std::vector<FolderEntry> list_import_folder(const QString& directory);

// Whether an entry may be an import file at all: a name longer than 2 characters that contains
// `filter` (case counts; an empty filter matches every name) and more than 4 bytes.
bool is_import_candidate(const FolderEntry& entry, const QString& filter);

// The index of the file the import takes next, or -1: of the candidates not yet imported the one
// modified first, of several modified in the same second the first in list order. Taking the
// oldest first means proc_time never passes over a file still waiting. Pure.
int next_import_file(const std::vector<FolderEntry>& entries, const ImportSettings& settings);
