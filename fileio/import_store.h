#pragma once

#include <QString>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "fileio/import_settings.h"
#include "fileio/kgenparse.h"

// The import's settings store, fileio.xml, behind a lock: the worker reads the settings and
// records its progress while the Import/Export dialog reads and writes the same names.
// Thread: any.
class ImportStore {
  public:
    // Reads `settings_path` (fileio.xml); `default_directory` stands for an unset imp_dir.
    ImportStore(const QString& settings_path, QString default_directory);

    ImportSettings settings() const;
    QString default_directory() const { return default_directory_; }
    // A copy of the whole store.
    Kgenparse snapshot() const;

    // Each returns 0, or -1 when fileio.xml could not be written (the store holds the change).
    int set_values(const std::vector<std::pair<QString, QString>>& values);
    // `name` of `mtime` is done: proc_time moves on to it, or it joins the names of proc_time.
    int mark_imported(const QString& name, std::int64_t mtime);
    int mark_part(const QString& name, std::int64_t mtime, int lines);

  private:
    const QString default_directory_;
    mutable std::mutex mutex_;
    Kgenparse store_;
};
