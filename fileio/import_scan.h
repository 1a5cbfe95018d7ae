#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// What a name of the import folder is, seen without following links.
enum class EntryKind { kRegular, kDirectory, kSymlink, kOther };

// A name of the import folder as one scan saw it.
struct FolderEntry {
    QString name;
    QString path;  // absolute
    EntryKind kind = EntryKind::kOther;
    std::int64_t size = 0;
    std::int64_t mtime = 0;  // seconds since the epoch
    // What stays the same while a file is renamed: device and inode ("2049:131077"); the name
    // where the system has no inodes.
    QByteArray id;
};

// The names of `directory`, sorted by name ignoring case, each described by lstat: links are
// never followed. "." and ".." are not listed. A missing directory lists nothing.
std::vector<FolderEntry> list_import_folder(const QString& directory);

// Whether a name says that the file is still being uploaded or written (an upload tool's or an
// editor's temporary name): it waits until it is renamed.
bool is_upload_in_progress(const QString& name);

// Whether a regular file may be an import file: a name longer than 2 characters that contains
// `filter` (case counts; an empty filter matches every name) and is no upload in progress.
bool is_import_name(const QString& name, const QString& filter);
