#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "link/memory_serial_link.h"
#include "sim/sim_modem.h"

// The simulated modem and remote logger inside the test process: hears every byte the recorder
// writes to a MemorySerialLink, with its virtual time, and feeds the modem's answers back as
// bytes that become readable at their virtual time. The link must outlive this object.
// Thread: any; the link's writer thread calls in through the peer callback, tests reach the
// modem through with_modem().
class MemoryLinkModem {
  public:
    explicit MemoryLinkModem(MemorySerialLink& link);
    ~MemoryLinkModem();
    MemoryLinkModem(const MemoryLinkModem&) = delete;
    MemoryLinkModem& operator=(const MemoryLinkModem&) = delete;

    // Runs `use` on the modem under its lock (to set records and faults, read what it saw).
    void with_modem(const std::function<void(SimModem&)>& use);

  private:
    struct Shared {
        std::mutex mutex;
        SimModem modem;
    };

    MemorySerialLink& link_;
    // Shared with the peer callback, which may still be running when this object goes.
    std::shared_ptr<Shared> shared_;
};
