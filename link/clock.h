#pragma once

#include <atomic>
#include <cstdint>

// Source of time for every state machine: a millisecond tick for short waits and the wall clock
// for record times. Passed in so that tests step the machines in virtual time.
// Thread: any; implementations are safe to read from several threads.
class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic milliseconds; only differences matter.
    virtual std::int64_t tick_ms() const = 0;
    // Milliseconds since the epoch (UTC).
    virtual std::int64_t wall_ms() const = 0;
    // A short, precise pause (the bus wake-up timing needs 12 ms, not "about 12 ms").
    virtual void sleep_ms(int ms) = 0;

    std::int64_t wall_seconds() const { return wall_ms() / 1000; }
};

// The machine's clocks.
class SystemClock final : public Clock {
  public:
    std::int64_t tick_ms() const override;
    std::int64_t wall_ms() const override;
    void sleep_ms(int ms) override;
};

// Virtual time for tests and the in-process simulator: time moves only when told to.
// sleep_ms advances the clock instead of waiting.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(std::int64_t wall_ms_at_start = 0) : wall_base_(wall_ms_at_start) {}
    std::int64_t tick_ms() const override { return tick_.load(); }
    std::int64_t wall_ms() const override { return wall_base_.load() + tick_.load(); }
    void sleep_ms(int ms) override { advance(ms); }

    void advance(std::int64_t ms) { tick_.fetch_add(ms); }
    void set_wall_ms(std::int64_t wall) { wall_base_.store(wall - tick_.load()); }

  private:
    std::atomic<std::int64_t> tick_{0};
    std::atomic<std::int64_t> wall_base_;
};
