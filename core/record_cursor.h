#pragma once

#include <algorithm>
#include <mutex>

// The column that receives the next value and the highest column of the record being built.
// The formula pass of any acquisition thread moves it too, hence the lock.
// Thread: any.
class RecordCursor {
  public:
    static constexpr int kMaxColumn = 240;  // the record holds at most columns 0..240
    enum MarkKind : int { kMoveTo = 0, kAdvance = 1, kRestart = 3 };

    // kRestart: pointer and highest back to 1; kAdvance: pointer + 1; any other kind: pointer =
    // index. Then the pointer is capped at 240 and the highest column raised to it.
    void mark(int kind, int index) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (kind == kRestart) {
            pointer_ = highest_ = 1;
        } else if (kind == kAdvance) {
            ++pointer_;
        } else {
            pointer_ = index;
        }
        pointer_ = std::min(pointer_, kMaxColumn);
        highest_ = std::max(highest_, pointer_);
    }
    int pointer() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return pointer_;
    }
    int highest() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return highest_;
    }
    void set_highest(int h) {
        std::lock_guard<std::mutex> lock(mutex_);
        highest_ = h;
    }

  private:
    mutable std::mutex mutex_;
    int pointer_ = 1;
    int highest_ = 1;
};
