#include "devices/device_list.h"

DeviceList::DeviceList() {
    for (int i = 0; i < kSlots; ++i) slots_[i].address = slot_address(i);
}

idev DeviceList::slot(int i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (i < 0 || i >= kSlots) return idev{};
    return slots_[i];
}

std::array<idev, DeviceList::kSlots> DeviceList::snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return slots_;
}

int DeviceList::find_address(QChar address) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = 0; i < kSlots; ++i) {
        if (slots_[i].address.size() == 1 && slots_[i].address.at(0) == address) return i;
    }
    return -1;
}
