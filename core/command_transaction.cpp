#include "core/command_transaction.h"

#include <algorithm>

#include "core/answer_match.h"
#include "core/core_services.h"
#include "core/option_commands.h"

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
    SensorLink& link = core_.link();
    sent_ = command.toLatin1();
    link.drop_stale_input();
    link.send_command(sent_, core_.comm_mode());
    lines_seen_ = link.line_counter();
    deadline_ = core_.clock().tick_ms() + kAnswerTimeoutMs;
}

bool CommandTransaction::take_answer(QByteArray& answer) {
    SensorLink& link = core_.link();
    if (link.line_counter() <= lines_seen_) return false;
    lines_seen_ = link.line_counter();
    if (!answer_fits(link.complete_line(), sent_, answer_kind_of(sent_), core_.comm_mode())) {
        core_.print(QStringLiteral("Unexpected answer ignored: ") +
                    QString::fromLatin1(visible_line(link.complete_line())));
        return false;
    }
    answer = link.complete_line();
    core_.set_last_answer(answer);
    return true;
}

int CommandTransaction::step_single(int state) {
    core_.link().read_step();
    switch (state) {
        case kSend:
            send(command_);
            return kWaitAnswer;
        case kWaitAnswer: {
            QByteArray answer;
            if (take_answer(answer)) {
                core_.announce(CoreEvent::kCommandAnswered, option_number_);
                return kNext;
            }
            return core_.clock().tick_ms() > deadline_ ? kNext : kWaitAnswer;
        }
        default:
            return state;  // keeps echoing received bytes until another mode is asked for
    }
}

int CommandTransaction::step_batch(int state) {
    const std::size_t count = options_ ? options_->size() : 0;
    switch (state) {
        case kSend: {
            if (option_index_ >= count) {
                core_.go_idle();
                return kBatchDone;
            }
            QString command;
            {
                std::lock_guard<std::mutex> lock(options_lock_);
                command = build_command((*options_)[option_index_], kReadOption, address_);
            }
            send(command);
            return kWaitAnswer;
        }
        case kWaitAnswer: {
            core_.link().read_step();
            QByteArray line;
            if (take_answer(line)) {
                {
                    std::lock_guard<std::mutex> lock(options_lock_);
                    dev_opt& option = (*options_)[option_index_];
                    option.raw_answer = QString::fromLatin1(line);
                    option.current_value = extract_answer(line, option.type);
                }
                core_.announce(CoreEvent::kOptionAnswered);
                return kNext;
            }
            return core_.clock().tick_ms() > deadline_ ? kNext : kWaitAnswer;
        }
        case kNext:
            ++option_index_;
            return kSend;
        default:
            return state;
    }
}

int CommandTransaction::wait_budget(int state) const {
    if (state != kWaitAnswer) return 0;
    return int(std::clamp<std::int64_t>(deadline_ + 1 - core_.clock().tick_ms(), 0, kAnswerTimeoutMs + 1));
}
