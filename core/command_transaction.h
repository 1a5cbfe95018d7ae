#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "devices/idev.h"

class sdi12_core;

// The two transactions the sensor tools ask for: one free-text command with its answer line
// (mode 13), and a batch of option reads, one command per option (mode 14). Each answer is
// awaited 1000 ms; no answer ends the wait silently.
// Thread: the core's worker thread.
class CommandTransaction {
  public:
    enum State : int { kSend = 1, kWaitAnswer = 2, kNext = 9, kBatchDone = 10 };
    static constexpr int kAnswerTimeoutMs = 1000;

    explicit CommandTransaction(sdi12_core& core) : core_(core) {}

    void start_single(const QString& command, int option_number);
    void start_batch(std::vector<dev_opt>* options, const QString& address);

    int step_single(int state);
    int step_batch(int state);
    int wait_budget(int state) const;

  private:
    void send(const QString& command);

    sdi12_core& core_;
    QString command_;
    int option_number_ = 0;
    std::vector<dev_opt>* options_ = nullptr;
    QString address_;
    std::size_t option_index_ = 0;
    int lines_seen_ = 0;
    std::int64_t deadline_ = 0;
};
