#include "link/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

std::int64_t SystemClock::tick_ms() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::wall_ms() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void SystemClock::sleep_ms(int ms) {
    if (ms <= 0) return;
    // An absolute deadline keeps the pause at the asked length instead of "at least" plus drift.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::this_thread::sleep_until(until);
}
