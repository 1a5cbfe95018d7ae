#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <mutex>
#include <vector>

#include "devices/idev.h"

class CoreServices;

// The two transactions the sensor tools ask for: one free-text command with its answer line
// (mode 13), and a batch of option reads, one command per option (mode 14). Each answer is
// awaited 1000 ms; no answer ends the wait silently. Only a line that answers the command sent
// counts; any other is shown as ignored.
// Thread: the core's worker thread.
class CommandTransaction {
  public:
    enum State : int { kSend = 1, kWaitAnswer = 2, kNext = 9, kBatchDone = 10 };
    static constexpr int kAnswerTimeoutMs = 1000;

    // `options_lock` guards the option list of a batch, which the caller also reads.
    CommandTransaction(CoreServices& core, std::mutex& options_lock)
        : core_(core), options_lock_(options_lock) {}

    void start_single(const QString& command, int option_number);
    void start_batch(std::vector<dev_opt>* options, const QString& address);

    int step_single(int state);
    int step_batch(int state);
    int wait_budget(int state) const;

  private:
    void send(const QString& command);
    // The answer to the command sent when one arrived in this step, or nothing.
    bool take_answer(QByteArray& answer);

    CoreServices& core_;
    std::mutex& options_lock_;
    QString command_;
    int option_number_ = 0;
    std::vector<dev_opt>* options_ = nullptr;
    QString address_;
    std::size_t option_index_ = 0;
    QByteArray sent_;
    int lines_seen_ = 0;
    std::int64_t deadline_ = 0;
};
