#pragma once

#include "core/step_result.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

#include "core/script_walker.h"

class CoreServices;

// One logging cycle after the other: at the start of a cycle it sets every measured column to
// NaN, prints the record time and walks the logging script; at its end it has the record
// written and waits for the next whole multiple of the interval. A cycle longer than the
// interval is said once. Each answer has its window (see ScriptWalker); a watchdog ends any wait
// for an answer line that still lasts longer than about a minute. A port that fails abandons the cycle in
// progress (no record); each later cycle start tries it again. A wall clock set back or forward is said on
// the console; set back, the next record time is taken afresh on the new clock, so logging never stalls.
// Thread: the core's worker thread.
class LoggingCycle {
  public:
    enum State : int { kStartOfCycle = 100, kWaitNextCycle = 105 };
    static constexpr std::int64_t kWatchdogMs = 60000;
    // A change of the wall clock against the tick larger than this is a clock step, not a drift.
    static constexpr std::int64_t kClockStepMs = 1000;

    explicit LoggingCycle(CoreServices& core) : core_(core), walker_(core) {}

    // Called when logging starts: the next step starts a cycle at once.
    void start();
    // Called when logging goes on after a pause: the next cycle starts at the next multiple of
    // the interval.
    void resume();
    // One step of logging mode: the new step state and how long nothing can change in it.
    StepResult step(int state);

    std::int64_t record_time() const { return record_time_; }
    std::int64_t next_log_time() const { return next_log_time_; }

  private:
    int advance(int state);
    int wait_budget(int state) const;
    int start_cycle();
    int end_of_script();
    int abandon_cycle();
    void schedule_next_cycle();
    void reset_watchdog();
    void say_long_cycle();
    // Notices a step of the wall clock since the last step and follows it.
    void watch_clock();

    CoreServices& core_;
    ScriptWalker walker_;
    std::int64_t watchdog_start_ = 0;
    std::int64_t record_time_ = 0;
    std::int64_t next_log_time_ = 0;
    std::int64_t clock_offset_ms_ = 0;  // wall clock minus tick at the last step
    bool clock_offset_known_ = false;
    bool long_cycle_said_ = false;
};
