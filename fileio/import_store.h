#pragma once

#include <QString>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "fileio/import_settings.h"
#include "fileio/kgenparse.h"

// The import's settings store, fileio.xml, behind a lock: the worker reads the settings while
// the Import/Export dialog reads and writes the same names.
// Thread: any.
class ImportStore {
  public:
    // Reads `settings_path` (fileio.xml); `default_directory` stands for an unset imp_dir.
    ImportStore(const QString& settings_path, QString default_directory);

    ImportSettings settings() const;
    QString default_directory() const { return default_directory_; }
    // What reading fileio.xml at construction had to say (empty when all was well).
    QString load_said() const { return load_said_; }
    // A copy of the whole store.
    Kgenparse snapshot() const;

    // Each returns 0, or -1 when fileio.xml could not be written (the store holds the change).
    int set_values(const std::vector<std::pair<QString, QString>>& values);

  private:
    const QString default_directory_;
    mutable std::mutex mutex_;
    Kgenparse store_;
    QString load_said_;
};
