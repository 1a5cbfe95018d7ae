#include "sim/paced_transmitter.h"

#include <algorithm>
#include <cmath>

double PacedTransmitter::send(const std::string& bytes, double start_ms) {
    double at = std::max(start_ms, free_at_);
    if (bytes.empty()) return at;
    for (const char c : bytes) {
        at += kCharMs;
        pending_.push_back(ScheduledByte{std::llround(at), static_cast<std::uint8_t>(c)});
    }
    free_at_ = at;
    return at;
}

std::vector<ScheduledByte> PacedTransmitter::take() {
    std::vector<ScheduledByte> taken;
    taken.swap(pending_);
    return taken;
}
