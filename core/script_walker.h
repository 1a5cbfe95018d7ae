#pragma once

#include <QByteArray>
#include <cstdint>
#include <utility>
#include <vector>

class CoreServices;

// Walks the logging script within one cycle: handles the keyword lines, sends the commands,
// waits for their answer lines, stores data answers into columns and defers the data lines of
// concurrent (C) measurements by 30 s while the other devices are served. A waiting state takes
// only a line that answers the command just sent; any other line is shown as ignored and the
// wait goes on, so a stray line never moves a value into another sensor's columns. An answer
// is awaited for the device's answer window (TIMEOUT n of its definition, else 1 s, renewed by
// every byte that arrives); a service request for the seconds the measurement announced plus
// that window. A silent sensor is said once per command and cycle and costs only its window.
// Thread: the core's worker thread.
class ScriptWalker {
  public:
    enum State : int {
        kWalk = 1,
        kWaitLine = 2,
        kWaitData = 3,
        kWaitConcurrent = 7,
        kWaitResponse = 106,
        kDelay = 150,
        kEndOfScript = 160,
    };
    static constexpr int kConcurrentDelaySeconds = 30;
    static constexpr int kDefaultAnswerWindowMs = 1000;

    struct Continuation {
        int line_index;
        std::int64_t due_seconds;
    };

    explicit ScriptWalker(CoreServices& core) : core_(core) {}

    // Starts a cycle over `script` from its first line, with no continuations pending.
    void reset(std::vector<QByteArray> script);
    // State 1: fetches and handles lines until one needs waiting; returns the new state.
    int walk();
    // One step of a waiting state (the byte of this step was already read); returns the new state.
    int wait(int state);
    // The first pending continuation that is due goes on; otherwise the walk skips ahead to the
    // furthest line fetched so far. Returns true when a continuation was resumed.
    bool resume_check();

    bool has_pending() const { return !pending_.empty(); }
    // Moves the due times of the pending continuations with a step of the wall clock.
    void shift_due_times(std::int64_t seconds);
    std::int64_t earliest_due() const;
    std::int64_t delay_deadline() const { return delay_deadline_; }
    int script_timeout_ms() const { return script_timeout_ms_; }
    // Parses a data answer into the columns from the cell pointer on.
    void parse_values(const QByteArray& line);

    // While waiting for an answer: whether its time is up (bytes still arriving renew it).
    bool answer_overdue();
    // Gives up the wait: "no answer from <address> to <command>", once per command and cycle.
    void give_up_answer();
    std::int64_t answer_deadline() const { return answer_deadline_; }

  private:
    QByteArray fetch();
    int window_ms(char address) const;
    // Starts the wait for an answer to the command sent last, `extra_ms` beyond its window.
    void await_answer(std::int64_t extra_ms);
    // Whether the line that arrived answers what this waiting state waits for.
    bool answers_wait(int state, const QByteArray& line) const;

    CoreServices& core_;
    std::vector<QByteArray> script_;
    int next_ = 0;
    int furthest_ = 0;
    std::vector<Continuation> pending_;
    int lines_seen_ = 0;
    QByteArray sent_;  // the last command sent in this cycle
    std::int64_t delay_deadline_ = 0;
    int script_timeout_ms_ = 0;
    int next_window_ms_ = -1;  // TIMEOUT n: the window of the next command's device
    std::vector<std::pair<char, int>> windows_ms_;
    std::int64_t answer_deadline_ = 0;
    int bytes_seen_ = 0;
    std::int64_t service_due_ms_ = -1;  // when the last measurement said its data are ready
    std::vector<QByteArray> said_silent_;
};
