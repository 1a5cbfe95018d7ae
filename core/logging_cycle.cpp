#include "core/logging_cycle.h"

#include <algorithm>

#include "core/record_cursor.h"
#include "core/record_format.h"
#include "core/sdi12_core.h"
#include "variables/formula_pass.h"

void LoggingCycle::start() {
    record_time_ = 0;
    next_log_time_ = 0;
    reset_watchdog();
}

void LoggingCycle::reset_watchdog() {
    watchdog_start_ = core_.clock_.tick_ms();
}

int LoggingCycle::step(int state) {
    core_.link_.read_step();

    // Only waits for answer lines run into the watchdog; the waits for a delay, for the end of a
    // concurrent measurement and for the next cycle keep it reset.
    if (state == ScriptWalker::kDelay || state == ScriptWalker::kEndOfScript || state == kWaitNextCycle)
        reset_watchdog();
    else if (state > 0 && core_.clock_.tick_ms() - watchdog_start_ > kWatchdogMs) {
        reset_watchdog();
        core_.print(QStringLiteral("**TIMEOUT ERROR"));
        state = ScriptWalker::kWalk;
    }

    switch (state) {
        case kStartOfCycle:
            walker_.reset(core_.current_script());
            record_time_ = core_.clock_.wall_seconds();
            core_.set_record_time(record_time_);
            core_.print(QString::fromLatin1(format_record_time(record_time_)) +
                        QStringLiteral(" : Gathering Data"));
            core_.link_.reset_counters();
            return ScriptWalker::kWalk;
        case ScriptWalker::kWalk:
            return walker_.walk();
        case ScriptWalker::kWaitLine:
        case ScriptWalker::kWaitData:
        case ScriptWalker::kWaitConcurrent:
        case ScriptWalker::kWaitResponse:
        case ScriptWalker::kDelay:
            return walker_.wait(state);
        case ScriptWalker::kEndOfScript:
            return end_of_script();
        case kWaitNextCycle:
            return core_.clock_.wall_seconds() >= next_log_time_ ? kStartOfCycle : kWaitNextCycle;
        default:
            return state;
    }
}

int LoggingCycle::end_of_script() {
    if (walker_.has_pending())
        return walker_.resume_check() ? ScriptWalker::kWalk : ScriptWalker::kEndOfScript;

    run_formulas(core_.columns_, core_);
    core_.write_record(core_.cursor_.highest(), false);
    next_log_time_ = next_multiple(core_.clock_.wall_seconds(), core_.settings().interval);
    core_.set_next_log_time(next_log_time_);
    core_.notify([c = &core_] { emit c->end_of_log(); });
    return kWaitNextCycle;
}

int LoggingCycle::wait_budget(int state) const {
    const std::int64_t tick = core_.clock_.tick_ms();
    const std::int64_t wall = core_.clock_.wall_ms();
    std::int64_t until = 0;  // milliseconds
    switch (state) {
        case ScriptWalker::kWaitLine:
        case ScriptWalker::kWaitData:
        case ScriptWalker::kWaitConcurrent:
        case ScriptWalker::kWaitResponse:
            until = watchdog_start_ + kWatchdogMs + 1 - tick;
            break;
        case ScriptWalker::kDelay:
            until = walker_.delay_deadline() + 1 - tick;
            break;
        case ScriptWalker::kEndOfScript:
            // A continuation is due once its second is in the past.
            until = walker_.has_pending() ? (walker_.earliest_due() + 1) * 1000 - wall : 0;
            break;
        case kWaitNextCycle:
            until = next_log_time_ * 1000 - wall;
            break;
        default:
            until = 0;
    }
    return int(std::clamp<std::int64_t>(until, 0, 1000));
}
