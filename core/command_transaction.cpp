#include "core/command_transaction.h"

#include <algorithm>
#include <utility>

#include "core/answer_match.h"
#include "core/core_services.h"
#include "core/option_commands.h"

void CommandTransaction::start_single(const QString& command, int option_number) {
    command_ = command;
    option_number_ = option_number;
    answered_ = false;
}

void CommandTransaction::start_batch(OptionBatchRequest request, int number) {
    batch_ = std::move(request);
    option_index_ = 0;
    std::lock_guard<std::mutex> lock(reply_mutex_);
    reply_ = OptionBatchReply{};
    reply_.batch = number;
    reply_.readings.resize(batch_.options.size());
}

OptionBatchReply CommandTransaction::batch_reply() const {
    std::lock_guard<std::mutex> lock(reply_mutex_);
    return reply_;
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

StepResult CommandTransaction::step_single(int state) {
    const int next = advance_single(state);
    return {next, wait_budget(next)};
}

StepResult CommandTransaction::step_batch(int state) {
    const int next = advance_batch(state);
    return {next, wait_budget(next)};
}

int CommandTransaction::advance_single(int state) {
    core_.link().read_step();
    switch (state) {
        case kSend:
            send(command_);
            return kWaitAnswer;
        case kWaitAnswer: {
            QByteArray answer;
            if (take_answer(answer)) {
                answered_ = true;
                core_.announce(CoreEvent::kCommandAnswered, option_number_);
                return kNext;
            }
            return core_.clock().tick_ms() > deadline_ ? kNext : kWaitAnswer;
        }
        default:
            return state;  // keeps echoing received bytes until another mode is asked for
    }
}

int CommandTransaction::advance_batch(int state) {
    const std::vector<dev_opt>& options = batch_.options;
    switch (state) {
        case kSend: {
            // An option without a read command (an action) has nothing to ask.
            while (option_index_ < options.size() && options[option_index_].read_cmd.isEmpty())
                ++option_index_;
            if (option_index_ >= options.size()) {
                {
                    std::lock_guard<std::mutex> lock(reply_mutex_);
                    reply_.done = true;
                }
                core_.go_idle();
                return kBatchDone;
            }
            send(build_command(options[option_index_], kReadOption, batch_.address));
            return kWaitAnswer;
        }
        case kWaitAnswer: {
            core_.link().read_step();
            QByteArray line;
            if (take_answer(line)) {
                {
                    std::lock_guard<std::mutex> lock(reply_mutex_);
                    OptionReading& reading = reply_.readings[option_index_];
                    reading.answered = true;
                    reading.raw_answer = QString::fromLatin1(line);
                    reading.value = extract_answer(line, options[option_index_].type);
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
