#pragma once

#include <QString>
#include <memory>
#include <mutex>
#include <vector>

class ColumnList;

// The values of every column as one record left them: what the windows show after a cycle.
// Immutable once published, so a window reads it without any lock while it draws.
struct ValueSnapshot {
    std::vector<double> values;
    std::vector<QString> texts;  // the value texts; "0" beyond the list

    double value(int i) const { return i >= 0 && i < int(values.size()) ? values[i] : 0.0; }
    QString text(int i) const { return i >= 0 && i < int(texts.size()) ? texts[i] : QStringLiteral("0"); }
};

// The latest published snapshot of the values. A worker that finished a record publishes; the
// windows take the latest. Taking it costs one shared pointer copy under a small lock.
// Thread: any.
class ValueBoard {
  public:
    ValueBoard();
    // Copies the values and texts of `columns` in one locked read and makes them the latest.
    void publish(const ColumnList& columns);
    std::shared_ptr<const ValueSnapshot> latest() const;

  private:
    mutable std::mutex mutex_;
    std::shared_ptr<const ValueSnapshot> latest_;
};
