#include "core/script_walker.h"

#include <algorithm>

#include "core/data_answer.h"
#include "core/logging_cycle.h"
#include "core/record_cursor.h"
#include "core/script_line.h"
#include "core/sdi12_core.h"

void ScriptWalker::reset(std::vector<QByteArray> script) {
    script_ = std::move(script);
    next_ = 0;
    furthest_ = 0;
    pending_.clear();
}

QByteArray ScriptWalker::fetch() {
    QByteArray line = next_ < int(script_.size()) ? script_[next_] : QByteArray("END");
    ++next_;
    furthest_ = std::max(furthest_, next_);
    return line;
}

int ScriptWalker::walk() {
    SensorLink& link = core_.link_;
    for (;;) {
        lines_seen_ = link.line_counter();
        const QByteArray line = fetch();
        core_.print(QString::fromLatin1(line));
        const ScriptLineAction action = classify_line(line);
        switch (action.keyword) {
            case ScriptLineAction::kCell:
                core_.cursor_.mark(RecordCursor::kMoveTo, action.number);
                break;
            case ScriptLineAction::kDelay:
                delay_deadline_ = core_.clock_.tick_ms() + action.number;
                return kDelay;
            case ScriptLineAction::kStart:
                resume_check();
                break;
            case ScriptLineAction::kTimeout:
                script_timeout_ms_ = action.number * 1000;
                break;
            default:
                break;
        }
        if (action.code == ScriptLineAction::kGoOn) continue;
        if (action.code == ScriptLineAction::kStop) return kWalk;
        if (action.code < 100) {
            link.clear_partial_line();
            link.send_command(line, core_.comm_mode());
        }
        core_.logging_->reset_watchdog();
        return action.code;
    }
}

int ScriptWalker::wait(int state) {
    if (state == kDelay) return core_.clock_.tick_ms() > delay_deadline_ ? kWalk : kDelay;

    SensorLink& link = core_.link_;
    if (link.line_counter() <= lines_seen_) return state;
    switch (state) {
        case kWaitData:
            parse_values(link.complete_line());
            break;
        case kWaitConcurrent: {
            pending_.push_back({next_, core_.clock_.wall_seconds() + kConcurrentDelaySeconds});
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
    const std::int64_t now = core_.clock_.wall_seconds();
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

std::int64_t ScriptWalker::earliest_due() const {
    std::int64_t due = INT64_MAX;
    for (const Continuation& c : pending_) due = std::min(due, c.due_seconds);
    return due;
}

void ScriptWalker::parse_values(const QByteArray& line) {
    for (float value : split_data_answer(line)) {
        const int cell = core_.cursor_.pointer();
        if (cell < 1 || cell > RecordCursor::kMaxColumn) {
            core_.print(QStringLiteral("Index Column Error"));
            continue;
        }
        core_.set_column_value(cell, value);
        core_.cursor_.mark(RecordCursor::kAdvance, 0);
    }
}
