#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class Kgenparse;

// The import's settings as kept in fileio.xml, and the progress an earlier version kept there:
// the modification time of the newest file imported so far (`proc_time`, seconds since the
// epoch), the names of the files imported with exactly that time (`proc_names`) and the lines
// read of a file it was stopped in (`proc_part`). The progress is read once, when the per-file
// ledger does not exist yet (see FolderImport). Plain data, copied between threads.
struct ImportSettings {
    // Names in fileio.xml.
    static const QString kDirectory, kFilter, kEnabled, kProcTime, kProcNames, kProcPart, kExportDirectory,
        kExportEnabled;

    QString directory;
    QString filter;  // a name must contain it; case counts
    bool enabled = false;
    std::int64_t proc_time = 0;
    QStringList proc_names;
    // False for a file written before the names were kept: every file of proc_time is then taken
    // as imported, as it was then.
    bool names_kept = false;
    // A file whose import was stopped part way: its name, time and the lines already read.
    QString part_name;
    std::int64_t part_mtime = 0;
    int part_lines = 0;

    // Reads the store; an absent or empty directory is `default_directory`.
    static ImportSettings from(const Kgenparse& store, const QString& default_directory);
    // Whether a file of `mtime` called `name` was not imported by proc_time's rule.
    bool is_new(const QString& name, std::int64_t mtime) const;
    // Lines of that file already imported by an import that was stopped (0 for a new file).
    int lines_done(const QString& name, std::int64_t mtime) const;
};

// Where files are imported from when no directory is set: Import/ in the workspace root
// (c:/temp/attachments on Windows, where mail programs put attachments).
QString default_import_directory(const QString& workspace_root);
