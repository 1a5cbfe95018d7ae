#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

#include "core/script_walker.h"

class sdi12_core;

// One logging cycle after the other: at the start of a cycle it prints the record time and
// walks the logging script; at its end it runs the formula pass, writes the record and waits for
// the next whole multiple of the interval. A watchdog ends any wait for an answer line that
// lasts longer than about a minute.
// Thread: the core's worker thread.
class LoggingCycle {
  public:
    enum State : int { kStartOfCycle = 100, kWaitNextCycle = 105 };
    static constexpr std::int64_t kWatchdogMs = 60000;

    explicit LoggingCycle(sdi12_core& core) : core_(core), walker_(core) {}

    // Called when logging starts: the next step starts a cycle at once.
    void start();
    // One step of logging mode; returns the new step state.
    int step(int state);
    int wait_budget(int state) const;
    void reset_watchdog();

    std::int64_t record_time() const { return record_time_; }
    std::int64_t next_log_time() const { return next_log_time_; }
    ScriptWalker& walker() { return walker_; }

  private:
    int end_of_script();

    sdi12_core& core_;
    ScriptWalker walker_;
    std::int64_t watchdog_start_ = 0;
    std::int64_t record_time_ = 0;
    std::int64_t next_log_time_ = 0;
};
