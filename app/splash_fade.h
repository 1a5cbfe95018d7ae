#pragma once

#include <optional>

// How the start-up splash screen fades out over the main window's 100 ms ticks.
// Thread: any (pure arithmetic).
namespace splash_fade {

constexpr int kFirstFadeTick = 21;
constexpr int kLastTick = 30;

// The splash opacity once the tick counter has reached `counter`: (30 - counter) / 10 on ticks
// 21..30 (0.9 down to 0.0), nothing to change on any other tick.
std::optional<double> opacity_at(int counter);

// The splash is finished against the main window on this tick.
inline bool finishes_at(int counter) {
    return counter == kLastTick;
}

}  // namespace splash_fade
