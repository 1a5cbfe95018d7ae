#include "variables/value_snapshot.h"

#include "variables/column_list.h"

ValueBoard::ValueBoard() : latest_(std::make_shared<const ValueSnapshot>()) {}

void ValueBoard::publish(const ColumnList& columns) {
    auto snapshot = std::make_shared<ValueSnapshot>();
    columns.read_all([&](const std::vector<column_record>& records) {
        snapshot->values.reserve(records.size());
        snapshot->texts.reserve(records.size());
        for (const column_record& r : records) {
            snapshot->values.push_back(r.value);
            snapshot->texts.push_back(r.value_text);
        }
    });
    std::shared_ptr<const ValueSnapshot> published = std::move(snapshot);
    std::lock_guard<std::mutex> lock(mutex_);
    latest_.swap(published);
    // The old snapshot is released outside the lock (published goes out of scope after it).
}

std::shared_ptr<const ValueSnapshot> ValueBoard::latest() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return latest_;
}
