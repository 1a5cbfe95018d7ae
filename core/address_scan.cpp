#include "core/address_scan.h"

#include <algorithm>

#include "core/core_services.h"
#include "devices/device_list.h"

void AddressScan::start() {
    index_ = 0;
    devices_.update_all([this](std::array<idev, DeviceList::kSlots>& all) {
        for (int i = 0; i < DeviceList::kSlots; ++i) {
            idev& dev = all[i];
            before_[i] = {dev.identification, dev.definition, dev.description};
            dev.scanned = 0;
            dev.identification.clear();
            dev.definition.clear();
            dev.description.clear();
        }
    });
}

void AddressScan::store_identification(int slot, const QString& identification) {
    const Association& before = before_[slot];
    devices_.update(slot, [&](idev& dev) {
        dev.identification = identification;
        if (!before.identification.isEmpty() && identification == before.identification) {
            dev.definition = before.definition;
            dev.description = before.description;
        }
    });
}

StepResult AddressScan::step(int state) {
    const int next = advance(state);
    return {next, wait_budget(next)};
}

int AddressScan::advance(int state) {
    SensorLink& link = core_.link();
    switch (state) {
        case kSend: {
            link.drop_stale_input();
            lines_seen_ = link.line_counter();
            bytes_seen_ = link.byte_counter();
            const QString address = slot_address(index_);
            core_.print(QStringLiteral("scanning address %1").arg(address));
            link.send_command((address + QStringLiteral("I!")).toLatin1(), core_.comm_mode());
            deadline_ = core_.clock().tick_ms() + kSilenceMs;
            return kWaitAnswer;
        }
        case kWaitAnswer: {
            link.read_step();
            if (link.line_counter() > lines_seen_) {
                devices_.update(index_, [](idev& dev) { dev.scanned = 1; });
                const QByteArray line = link.complete_line();
                // In RS485 mode the echoed command starts with "%", so the address comes second.
                const int at = core_.comm_mode() == CommMode::Rs485 ? 1 : 0;
                const int slot = line.size() > at ? devices_.find_address(QChar::fromLatin1(line[at])) : -1;
                if (slot >= 0) {
                    store_identification(slot, QString::fromLatin1(line));
                    core_.announce(CoreEvent::kDeviceListChanged);
                }
                return kNext;
            }
            if (link.byte_counter() != bytes_seen_) {
                bytes_seen_ = link.byte_counter();
                deadline_ = core_.clock().tick_ms() + kSilenceMs;
            } else if (core_.clock().tick_ms() > deadline_) {
                devices_.update(index_, [](idev& dev) { dev.scanned = 1; });
                core_.announce(CoreEvent::kDeviceListChanged);
                return kNext;
            }
            return kWaitAnswer;
        }
        case kNext:
            if (++index_ >= kAddresses) {
                core_.go_idle();
                return kDone;
            }
            return kSend;
        default:
            return state;
    }
}

int AddressScan::wait_budget(int state) const {
    if (state != kWaitAnswer) return 0;
    return int(std::max<std::int64_t>(0, deadline_ - core_.clock().tick_ms() + 1));
}
