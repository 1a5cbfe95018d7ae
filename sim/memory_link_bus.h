#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "link/memory_serial_link.h"
#include "sim/sim_bus.h"

// The simulated bus inside the test process: listens to everything the recorder writes to a
// MemorySerialLink (bytes and breaks, with their virtual time) and feeds the echo and the
// answers back as bytes that become readable at their paced virtual time. Nothing sleeps: time
// moves only with the link's clock.
// A service request or a late answer is queued at once with its future time; since a memory
// link keeps its input in time order, the echo of a command sent before that time comes after it.
// Use: ManualClock clock; MemorySerialLink link(clock); MemoryLinkBus sensors(link, demo_sim_config());
// then drive the recorder's side of `link` and step `clock`. The link must outlive this object.
// Thread: any; the link's writer thread calls in through the peer callback, tests reach the bus
// through with_bus().
class MemoryLinkBus {
  public:
    MemoryLinkBus(MemorySerialLink& link, const SimConfig& config);
    ~MemoryLinkBus();
    MemoryLinkBus(const MemoryLinkBus&) = delete;
    MemoryLinkBus& operator=(const MemoryLinkBus&) = delete;

    // Runs `use` on the bus under its lock (to change faults, read sensor state, observe).
    void with_bus(const std::function<void(SimBus&)>& use);

  private:
    struct Shared {
        explicit Shared(const SimConfig& config, MemorySerialLink& port) : bus(config), link(port) {}
        std::mutex mutex;
        SimBus bus;
        MemorySerialLink& link;
    };
    static void on_event(Shared& shared, const MemorySerialLink::Event& event);

    MemorySerialLink& link_;
    // Shared with the peer callback, which may still be running when this object goes.
    std::shared_ptr<Shared> shared_;
};
