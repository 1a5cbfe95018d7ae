#pragma once

#include "core/step_result.h"

#include <QString>
#include <array>
#include <cstdint>

class CoreServices;
class DeviceList;

// Visits the sixteen bus addresses 0..9, a..f in turn with the identify command "aI!" and stores
// each answer line in the slot of the address that answered. An address is silent after 200 ms
// without a byte; every received byte extends the wait.
// Thread: the core's worker thread.
class AddressScan {
  public:
    enum State : int { kDone = 0, kSend = 1, kWaitAnswer = 2, kNext = 9 };
    static constexpr int kSilenceMs = 200;
    static constexpr int kAddresses = 16;

    AddressScan(CoreServices& core, DeviceList& devices) : core_(core), devices_(devices) {}

    // Forgets what every slot knew from the last scan and starts at address 0. A slot that answers
    // again with exactly the identification it had gets its definition back, so a rescan keeps
    // the user's device setup of sensors that did not change.
    void start();
    // One step: the new step state and how long nothing can change in it.
    StepResult step(int state);

  private:
    int advance(int state);
    // Milliseconds until a deadline could change anything in this state.
    int wait_budget(int state) const;

    struct Association {
        QString identification;
        QString definition;
        QString description;
    };
    void store_identification(int slot, const QString& identification);

    CoreServices& core_;
    DeviceList& devices_;
    int index_ = 0;
    int lines_seen_ = 0;
    int bytes_seen_ = 0;
    std::int64_t deadline_ = 0;
    std::array<Association, kAddresses> before_;
};
