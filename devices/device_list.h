#pragma once

#include <array>
#include <mutex>

#include "devices/idev.h"

// The sixteen device slots, one per bus address. The worker reads them while the user interface
// edits associations, so every access goes through this object and its lock.
// Thread: any.
class DeviceList {
  public:
    static constexpr int kSlots = 16;

    DeviceList();

    idev slot(int i) const;  // a copy
    std::array<idev, kSlots> snapshot() const;
    // Runs f(idev&) on slot i under the lock.
    template <class F>
    void update(int i, F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (i >= 0 && i < kSlots) f(slots_[i]);
    }
    // Runs f(std::array<idev, kSlots>&) under the lock.
    template <class F>
    void update_all(F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        f(slots_);
    }
    // Slot index whose address is `address` (case-sensitive), or -1.
    int find_address(QChar address) const;

  private:
    mutable std::mutex mutex_;
    std::array<idev, kSlots> slots_;
};
