#include "core/script_walker.h"

#include <algorithm>

#include "core/answer_match.h"
#include "core/core_services.h"
#include "core/data_answer.h"
#include "core/record_cursor.h"
#include "core/script_line.h"
#include "variables/formula_pass.h"

void ScriptWalker::reset(std::vector<QByteArray> script) {
    script_ = std::move(script);
    next_ = 0;
    furthest_ = 0;
    pending_.clear();
    sent_.clear();
    next_window_ms_ = -1;
    windows_ms_.clear();
    service_due_ms_ = -1;
    said_silent_.clear();
}

int ScriptWalker::window_ms(char address) const {
    for (const auto& [a, ms] : windows_ms_)
        if (a == address) return ms;
    return kDefaultAnswerWindowMs;
}

void ScriptWalker::await_answer(std::int64_t extra_ms) {
    bytes_seen_ = core_.link().byte_counter();
    answer_deadline_ = core_.clock().tick_ms() + std::max<std::int64_t>(extra_ms, 0) +
                       window_ms(sent_.isEmpty() ? '?' : sent_[0]);
}

bool ScriptWalker::answer_overdue() {
    const int bytes = core_.link().byte_counter();
    const std::int64_t now = core_.clock().tick_ms();
    // An answer on its way (a long data line at 1200 baud) is not cut off.
    if (bytes != bytes_seen_) {
        bytes_seen_ = bytes;
        answer_deadline_ = std::max(answer_deadline_, now + window_ms(sent_.isEmpty() ? '?' : sent_[0]));
    }
    return now > answer_deadline_;
}

void ScriptWalker::give_up_answer() {
    if (std::find(said_silent_.begin(), said_silent_.end(), sent_) != said_silent_.end()) return;
    said_silent_.push_back(sent_);
    core_.print(QStringLiteral("no answer from %1 to %2")
                    .arg(QLatin1Char(sent_.isEmpty() ? '?' : sent_[0]))
                    .arg(QString::fromLatin1(sent_)));
}

QByteArray ScriptWalker::fetch() {
    QByteArray line = next_ < int(script_.size()) ? script_[next_] : QByteArray("END");
    ++next_;
    furthest_ = std::max(furthest_, next_);
    return line;
}

int ScriptWalker::walk() {
    SensorLink& link = core_.link();
    for (;;) {
        lines_seen_ = link.line_counter();
        const QByteArray line = fetch();
        core_.print(QString::fromLatin1(line));
        const ScriptLineAction action = classify_line(line);
        switch (action.keyword) {
            case ScriptLineAction::kCell:
                core_.cursor().mark(RecordCursor::kMoveTo, action.number);
                break;
            case ScriptLineAction::kDelay:
                delay_deadline_ = core_.clock().tick_ms() + action.number;
                return kDelay;
            case ScriptLineAction::kStart:
                resume_check();
                break;
            case ScriptLineAction::kTimeout:
                script_timeout_ms_ = ::script_timeout_ms(action.number);
                next_window_ms_ = script_timeout_ms_;
                break;
            default:
                break;
        }
        if (action.code == ScriptLineAction::kGoOn) continue;
        if (action.code == ScriptLineAction::kStop) return kWalk;
        if (action.code < 100) {
            link.drop_stale_input();
            link.send_command(line, core_.comm_mode());
            lines_seen_ = link.line_counter();
            sent_ = line;
            if (next_window_ms_ >= 0 && !line.isEmpty()) {
                windows_ms_.emplace_back(line[0], next_window_ms_);
                next_window_ms_ = -1;
            }
            service_due_ms_ = -1;
            await_answer(0);
        } else if (action.code == kWaitResponse) {
            // A service request comes when the measurement said it would.
            const std::int64_t now = core_.clock().tick_ms();
            await_answer(service_due_ms_ > now ? service_due_ms_ - now : 0);
        }
        return action.code;
    }
}

bool ScriptWalker::answers_wait(int state, const QByteArray& line) const {
    switch (state) {
        case kWaitData:
            return answer_fits(line, sent_, AnswerKind::kData, core_.comm_mode());
        case kWaitConcurrent:
            return answer_fits(line, sent_, AnswerKind::kConcurrent, core_.comm_mode());
        case kWaitResponse:
            // WAITRESP waits for the service request of the sensor asked last.
            return answer_fits(line, sent_, AnswerKind::kServiceRequest, core_.comm_mode());
        default:
            return answer_fits(line, sent_, answer_kind_of(sent_), core_.comm_mode());
    }
}

int ScriptWalker::wait(int state) {
    if (state == kDelay) return core_.clock().tick_ms() > delay_deadline_ ? kWalk : kDelay;

    SensorLink& link = core_.link();
    if (link.line_counter() <= lines_seen_) return state;
    lines_seen_ = link.line_counter();
    const QByteArray& line = link.complete_line();
    if (!answers_wait(state, line)) {
        core_.print(QStringLiteral("Unexpected answer ignored: ") + QString::fromLatin1(visible_line(line)));
        return state;
    }
    switch (state) {
        case kWaitData:
            parse_values(line);
            break;
        case kWaitLine: {
            const int seconds = announced_seconds(line, sent_, core_.comm_mode());
            if (seconds >= 0) service_due_ms_ = core_.clock().tick_ms() + std::int64_t(seconds) * 1000;
            break;
        }
        case kWaitConcurrent: {
            pending_.push_back({next_, core_.clock().wall_seconds() + kConcurrentDelaySeconds});
            // The lines up to the next START (the matching D commands) run when the continuation is due.
            auto start = std::find_if(script_.begin() + std::min<std::size_t>(next_, script_.size()),
                                      script_.end(), [](const QByteArray& l) { return l.contains("START"); });
            next_ = int(start - script_.begin());
            break;
        }
        default:
            break;
    }
    return kWalk;
}

bool ScriptWalker::resume_check() {
    const std::int64_t now = core_.clock().wall_seconds();
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        if (it->due_seconds < now) {
            next_ = it->line_index;
            pending_.erase(it);
            return true;
        }
    }
    next_ = std::max(next_, furthest_);
    return false;
}

void ScriptWalker::shift_due_times(std::int64_t seconds) {
    for (Continuation& c : pending_) c.due_seconds += seconds;
}

std::int64_t ScriptWalker::earliest_due() const {
    std::int64_t due = INT64_MAX;
    for (const Continuation& c : pending_) due = std::min(due, c.due_seconds);
    return due;
}

void ScriptWalker::parse_values(const QByteArray& line) {
    RecordCursor& cursor = core_.cursor();
    for (float value : split_data_answer(line)) {
        const int cell = cursor.pointer();
        if (cell < 1 || cell > RecordCursor::kMaxColumn) {
            core_.print(QStringLiteral("Index Column Error"));
            continue;
        }
        core_.values().set_column_value(cell, value);
        cursor.mark(RecordCursor::kAdvance, 0);
    }
}
