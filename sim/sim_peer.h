#pragma once

#include <cstdint>
#include <vector>

#include "sim/paced_transmitter.h"

// What the simulator program puts on its pty: the SDI-12 bus or the GSM modem. It hears the
// recorder's bytes with their time and hands back the bytes it sends, each with the time it has
// arrived. No I/O and no clock of its own.
// Thread: whoever owns it.
class SimPeer {
  public:
    virtual ~SimPeer() = default;
    virtual void receive_byte(std::uint8_t byte, std::int64_t now_ms) = 0;
    // The bytes scheduled since the last call, in time order.
    virtual std::vector<ScheduledByte> take_output() = 0;
    // Switches the configured faults on or off (on at the start).
    virtual void set_faults_enabled(bool on) = 0;
    virtual bool faults_enabled() const = 0;
};
