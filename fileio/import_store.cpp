#include "fileio/import_store.h"

ImportStore::ImportStore(const QString& settings_path, QString default_directory)
    : default_directory_(std::move(default_directory)), store_(settings_path) {
    store_.load();
}

ImportSettings ImportStore::settings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ImportSettings::from(store_, default_directory_);
}

Kgenparse ImportStore::snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return store_;
}

int ImportStore::set_values(const std::vector<std::pair<QString, QString>>& values) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [name, value] : values) store_.set(name, value);
    return store_.save();
}

int ImportStore::mark_imported(const QString& name, std::int64_t mtime) {
    std::lock_guard<std::mutex> lock(mutex_);
    const ImportSettings now = ImportSettings::from(store_, default_directory_);
    if (mtime > now.proc_time) {
        ImportSettings::store_progress(store_, mtime, QStringList{name});
    } else if (mtime == now.proc_time) {
        QStringList names = now.proc_names;
        if (!names.contains(name)) names << name;
        ImportSettings::store_progress(store_, mtime, names);
    }
    return store_.save();
}

int ImportStore::mark_part(const QString& name, std::int64_t mtime, int lines) {
    std::lock_guard<std::mutex> lock(mutex_);
    ImportSettings::store_part(store_, name, mtime, lines);
    return store_.save();
}
