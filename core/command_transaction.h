#pragma once

#include "core/step_result.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/option_batch.h"

class CoreServices;

// The two transactions the sensor tools ask for: one free-text command with its answer line
// (mode 13), and a batch of option reads, one command per option that has a read command
// (mode 14). Each answer is awaited 1000 ms; no answer ends the wait silently. Only a line that
// answers the command sent counts; any other is shown as ignored.
// Thread: the core's worker thread; batch_reply() may be called from any thread.
class CommandTransaction {
  public:
    enum State : int { kSend = 1, kWaitAnswer = 2, kNext = 9, kBatchDone = 10 };
    static constexpr int kAnswerTimeoutMs = 1000;

    explicit CommandTransaction(CoreServices& core) : core_(core) {}

    void start_single(const QString& command, int option_number);
    // Starts batch number `number` with its own copy of the options.
    void start_batch(OptionBatchRequest request, int number);
    // The readings of the latest batch so far (a copy).
    OptionBatchReply batch_reply() const;

    // The single command's option number, and whether its answer came.
    int option_number() const { return option_number_; }
    bool answered() const { return answered_; }

    // One step of a single command or of an option batch: the new step state and how long
    // nothing can change in it.
    StepResult step_single(int state);
    StepResult step_batch(int state);

  private:
    int advance_single(int state);
    int advance_batch(int state);
    int wait_budget(int state) const;
    void send(const QString& command);
    // The answer to the command sent when one arrived in this step, or nothing.
    bool take_answer(QByteArray& answer);

    CoreServices& core_;
    QString command_;
    int option_number_ = 0;
    bool answered_ = false;
    OptionBatchRequest batch_;  // worker only
    std::size_t option_index_ = 0;
    mutable std::mutex reply_mutex_;  // the reply is read by the user-interface thread
    OptionBatchReply reply_;
    QByteArray sent_;
    int lines_seen_ = 0;
    std::int64_t deadline_ = 0;
};
