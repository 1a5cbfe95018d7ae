#include "core/logging_cycle.h"

#include <algorithm>

#include "core/core_services.h"
#include "core/record_format.h"

void LoggingCycle::start() {
    record_time_ = 0;
    next_log_time_ = 0;
    clock_offset_known_ = false;
    long_cycle_said_ = false;
    reset_watchdog();
}

void LoggingCycle::resume() {
    clock_offset_known_ = false;
    reset_watchdog();
    schedule_next_cycle();
}

void LoggingCycle::reset_watchdog() {
    watchdog_start_ = core_.clock().tick_ms();
}

void LoggingCycle::watch_clock() {
    Clock& clock = core_.clock();
    const std::int64_t offset = clock.wall_ms() - clock.tick_ms();
    const std::int64_t moved = offset - clock_offset_ms_;
    const bool known = clock_offset_known_;
    clock_offset_ms_ = offset;
    clock_offset_known_ = true;
    if (!known || (moved > -kClockStepMs && moved < kClockStepMs)) return;

    const std::int64_t seconds = (std::abs(moved) + 500) / 1000;
    core_.print(QStringLiteral("Clock set %1 by %2 s")
                    .arg(moved < 0 ? QStringLiteral("back") : QStringLiteral("forward"))
                    .arg(seconds));
    // Deferred data lines keep their 30 s on the new clock.
    walker_.shift_due_times(moved / 1000);
    // Set back, the next record time would lie far ahead: take it afresh on the new clock.
    // Set forward, the next cycle starts at once and none is made up.
    if (moved < 0 && next_log_time_ > 0) schedule_next_cycle();
}

StepResult LoggingCycle::step(int state) {
    const int next = advance(state);
    return {next, wait_budget(next)};
}

int LoggingCycle::advance(int state) {
    SensorLink& link = core_.link();
    link.read_step();
    watch_clock();

    if (link.lost() && state != kStartOfCycle && state != kWaitNextCycle) return abandon_cycle();

    // Only waits for answer lines run into the watchdog; the waits for a delay, for the end of a
    // concurrent measurement and for the next cycle keep it reset.
    if (state == ScriptWalker::kDelay || state == ScriptWalker::kEndOfScript || state == kWaitNextCycle)
        reset_watchdog();
    else if (state > 0 && core_.clock().tick_ms() - watchdog_start_ > kWatchdogMs) {
        reset_watchdog();
        core_.print(QStringLiteral("**TIMEOUT ERROR"));
        state = ScriptWalker::kWalk;
    }

    switch (state) {
        case kStartOfCycle:
            return start_cycle();
        case ScriptWalker::kWalk: {
            const int next = walker_.walk();
            if (next != ScriptWalker::kWalk) reset_watchdog();  // a wait starts
            return next;
        }
        case ScriptWalker::kWaitLine:
        case ScriptWalker::kWaitData:
        case ScriptWalker::kWaitConcurrent:
        case ScriptWalker::kWaitResponse: {
            const int next = walker_.wait(state);
            if (next != state || !walker_.answer_overdue()) return next;
            // A silent sensor costs its answer window, not the watchdog's minute.
            walker_.give_up_answer();
            return ScriptWalker::kWalk;
        }
        case ScriptWalker::kDelay:
            return walker_.wait(state);
        case ScriptWalker::kEndOfScript:
            return end_of_script();
        case kWaitNextCycle:
            return core_.clock().wall_seconds() >= next_log_time_ ? kStartOfCycle : kWaitNextCycle;
        default:
            return state;
    }
}

int LoggingCycle::start_cycle() {
    SensorLink& link = core_.link();
    // A port that was lost is tried again at every cycle start; until it is back no record is
    // written, so the gap shows in the record times.
    if (link.lost() && !link.reopen()) {
        schedule_next_cycle();
        core_.announce(CoreEvent::kCycleSkipped);
        return kWaitNextCycle;
    }
    walker_.reset(core_.logging_script());
    // What this cycle does not measure is missing from its record, not a value of an earlier one.
    core_.clear_measured_values();
    record_time_ = core_.clock().wall_seconds();
    core_.set_record_times(record_time_, next_log_time_);
    core_.print(QString::fromLatin1(format_record_time(record_time_)) + QStringLiteral(" : Gathering Data"));
    link.reset_counters();
    return ScriptWalker::kWalk;
}

int LoggingCycle::abandon_cycle() {
    core_.print(QStringLiteral("Cycle of %1 abandoned: no record written")
                    .arg(QString::fromLatin1(format_record_time(record_time_))));
    schedule_next_cycle();
    return kWaitNextCycle;
}

void LoggingCycle::schedule_next_cycle() {
    next_log_time_ = next_multiple(core_.clock().wall_seconds(), core_.log_interval());
    core_.set_record_times(record_time_, next_log_time_);
}

int LoggingCycle::end_of_script() {
    if (walker_.has_pending())
        return walker_.resume_check() ? ScriptWalker::kWalk : ScriptWalker::kEndOfScript;

    core_.finish_record();
    schedule_next_cycle();
    say_long_cycle();
    core_.announce(CoreEvent::kCycleEnded);
    return kWaitNextCycle;
}

void LoggingCycle::say_long_cycle() {
    const std::int64_t length = core_.clock().wall_seconds() - record_time_;
    const int interval = core_.log_interval();
    if (long_cycle_said_ || length < interval) return;
    long_cycle_said_ = true;
    // The next cycle starts at the next multiple after this one ended: fewer records than asked.
    core_.print(QStringLiteral("The cycle took %1 s, longer than the logging interval of %2 s: a record is "
                               "written every %3 s (said once)")
                    .arg(length)
                    .arg(interval)
                    .arg(next_log_time_ - record_time_));
}

int LoggingCycle::wait_budget(int state) const {
    const std::int64_t tick = core_.clock().tick_ms();
    const std::int64_t wall = core_.clock().wall_ms();
    std::int64_t until = 0;  // milliseconds
    switch (state) {
        case ScriptWalker::kWaitLine:
        case ScriptWalker::kWaitData:
        case ScriptWalker::kWaitConcurrent:
        case ScriptWalker::kWaitResponse:
            until = std::min(watchdog_start_ + kWatchdogMs, walker_.answer_deadline()) + 1 - tick;
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
