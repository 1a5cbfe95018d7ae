#include "fileio/import_store.h"

ImportStore::ImportStore(const QString& settings_path, QString default_directory)
    : default_directory_(std::move(default_directory)), store_(settings_path) {
    load_said_ = store_.load();
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
