#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

class sdi12_core;

// Walks the logging script within one cycle: handles the keyword lines, sends the commands,
// waits for their answer lines, stores data answers into columns and defers the data lines of
// concurrent (C) measurements by 30 s while the other devices are served.
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

    struct Continuation {
        int line_index;
        std::int64_t due_seconds;
    };

    explicit ScriptWalker(sdi12_core& core) : core_(core) {}

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
    std::int64_t earliest_due() const;
    std::int64_t delay_deadline() const { return delay_deadline_; }
    int script_timeout_ms() const { return script_timeout_ms_; }
    // Parses a data answer into the columns from the cell pointer on.
    void parse_values(const QByteArray& line);

  private:
    QByteArray fetch();

    sdi12_core& core_;
    std::vector<QByteArray> script_;
    int next_ = 0;
    int furthest_ = 0;
    std::vector<Continuation> pending_;
    int lines_seen_ = 0;
    std::int64_t delay_deadline_ = 0;
    int script_timeout_ms_ = 0;
};
