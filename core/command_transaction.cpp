#include "core/command_transaction.h"

#include <algorithm>

#include "core/option_commands.h"
#include "core/sdi12_core.h"

void CommandTransaction::start_single(const QString& command, int option_number) {
    command_ = command;
    option_number_ = option_number;
}

void CommandTransaction::start_batch(std::vector<dev_opt>* options, const QString& address) {
    options_ = options;
    address_ = address;
    option_index_ = 0;
}

void CommandTransaction::send(const QString& command) {
    SensorLink& link = core_.link_;
    link.clear_partial_line();
    link.send_command(command.toLatin1(), core_.comm_mode());
    lines_seen_ = link.line_counter();
    deadline_ = core_.clock_.tick_ms() + kAnswerTimeoutMs;
}

int CommandTransaction::step_single(int state) {
    SensorLink& link = core_.link_;
    link.read_step();
    switch (state) {
        case kSend:
            send(command_);
            return kWaitAnswer;
        case kWaitAnswer:
            if (link.line_counter() > lines_seen_) {
                core_.set_last_answer(QString::fromLatin1(link.complete_line()));
                core_.notify([c = &core_, option = option_number_] {
                    emit c->cmd_finnished();
                    if (option != 0) emit c->cmd_event(option);
                });
                return kNext;
            }
            return core_.clock_.tick_ms() > deadline_ ? kNext : kWaitAnswer;
        default:
            return state;  // keeps echoing received bytes until another mode is asked for
    }
}

int CommandTransaction::step_batch(int state) {
    SensorLink& link = core_.link_;
    const std::size_t count = options_ ? options_->size() : 0;
    switch (state) {
        case kSend: {
            if (option_index_ >= count) {
                core_.set_active(false);
                return kBatchDone;
            }
            QString command;
            {
                std::lock_guard<std::mutex> lock(core_.option_mutex_);
                command = build_command((*options_)[option_index_], kReadOption, address_);
            }
            send(command);
            return kWaitAnswer;
        }
        case kWaitAnswer:
            link.read_step();
            if (link.line_counter() > lines_seen_) {
                const QByteArray line = link.complete_line();
                core_.set_last_answer(QString::fromLatin1(line));
                {
                    std::lock_guard<std::mutex> lock(core_.option_mutex_);
                    dev_opt& option = (*options_)[option_index_];
                    option.raw_answer = QString::fromLatin1(line);
                    option.current_value = extract_answer(line, option.type);
                }
                core_.notify([c = &core_] { emit c->multicmd_finnished(); });
                return kNext;
            }
            return core_.clock_.tick_ms() > deadline_ ? kNext : kWaitAnswer;
        case kNext:
            ++option_index_;
            return kSend;
        default:
            return state;
    }
}

int CommandTransaction::wait_budget(int state) const {
    if (state != kWaitAnswer) return 0;
    return int(std::clamp<std::int64_t>(deadline_ + 1 - core_.clock_.tick_ms(), 0, kAnswerTimeoutMs + 1));
}
