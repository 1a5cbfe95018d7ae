#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A byte the simulator sends and the time (milliseconds on the bus's clock) it has fully
// arrived at the recorder.
struct ScheduledByte {
    std::int64_t at_ms;
    std::uint8_t byte;
};

// The bus line's one transmitter at 1200 baud: bytes go out one after another, 8.33 ms each
// (start bit, 7 data bits, parity, stop bit), never overlapping. Pure scheduling, no clock.
// Thread: whoever owns it.
class PacedTransmitter {
  public:
    static constexpr double kCharMs = 10.0 * 1000.0 / 1200.0;

    // Queues bytes after everything queued so far, the first starting no earlier than start_ms.
    // Returns the time the last of them has arrived (start_ms, or the line's end, when empty).
    double send(const std::string& bytes, double start_ms);
    // When the line is free again: the arrival of the last queued byte.
    double free_at() const { return free_at_; }
    // The bytes queued since the last call, in time order.
    std::vector<ScheduledByte> take();

  private:
    double free_at_ = -1e18;
    std::vector<ScheduledByte> pending_;
};
