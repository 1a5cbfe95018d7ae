#pragma once

#include <QByteArray>
#include <QDateTime>
#include <cstdint>

#include "core/modem_link.h"
#include "link/clock.h"
#include "link/serial_link.h"

class DialoutServices;

// The dial-out call to the remote logger as a polled state machine: waits for the scheduled
// time, dials through the modem, greets the logger, asks which records it holds, sets its
// clock, downloads the records not yet fetched in batches of up to five, hangs up and closes
// the port. Deadlines run on the monotonic tick, the call time on the wall clock.
// Thread: the remote logger's worker thread (tests step it directly).
class DialoutCall {
  public:
    // The step states; their numbers are the ones the console and the status speak of.
    enum State : int {
        kPlanSchedule = 0,
        kWaitCall = 1,
        kOpen = 2,
        kReset = 10,
        kResetPause = 11,
        kDial = 12,
        kWaitConnect = 13,
        kGreet = 20,
        kWaitGreeting = 21,
        kAskFirst = 22,
        kWaitFirst = 23,
        kAskLast = 24,
        kWaitLast = 25,
        kSetClock = 26,
        kClockPause = 27,
        kPlan = 40,
        kPlanned = 41,
        kDownload = 60,
        kWaitRecords = 61,
        kAbort = 700,
        kHangUp = 800,
        kWaitSilence = 801,
        kEscape = 802,
        kWaitEscape = 803,
        kHangUpCommand = 804,
        kWaitHangUp = 805,
        kClose = 990,
        kIdle = 20000,
    };
    static constexpr std::int64_t kResetPauseMs = 1000;
    static constexpr std::int64_t kConnectMs = 120000;
    static constexpr std::int64_t kAnswerMs = 60000;
    static constexpr std::int64_t kFirstRecordMs = 120000;
    static constexpr std::int64_t kClockPauseMs = 2000;
    static constexpr std::int64_t kGuardMs = 2000;  // silence around "+++" and after "ATH"
    static constexpr std::int64_t kClockStepMs = 1000;

    DialoutCall(SerialLink& port, Clock& clock, DialoutServices& services);

    int state() const { return state_; }
    // Starts over: a call in progress is hung up first ("+++", "ATH"), so the modem is never
    // left online; otherwise the port is closed and the schedule taken anew.
    void restart() {
        if (state_ >= kReset && state_ < kAbort)
            state_ = kAbort;
        else if (state_ < kAbort || state_ == kIdle)
            state_ = kClose;
    }
    // Ends a call in progress as a missing answer does: "Abort..", the hang-up, the port closed.
    void hang_up() {
        if (state_ >= kReset && state_ < kAbort) state_ = kAbort;
    }
    // No call in progress: waiting for the next one (or for the first reset).
    bool between_calls() const { return state_ == kPlanSchedule || state_ == kWaitCall || state_ == kIdle; }
    // Takes the next call time from the settings and the wall clock now.
    void plan_next_call();
    // Milliseconds since the epoch of the next call, or -1 when none is due.
    std::int64_t next_call_ms() const { return next_call_ms_; }

    // Reads at most one byte from the modem, then acts on the state. Returns how long the worker
    // may wait for a byte before the next step changes anything.
    int step();
    // Ends a wait for a byte early (from any thread).
    void wake() { modem_.wake(); }
    bool wait_readable(int timeout_ms) { return modem_.wait_readable(timeout_ms); }

  private:
    void advance();
    int wait_budget_ms() const;
    int act(int state, bool new_line);
    int plan_batch_step();
    int store_line();
    // Says why the call ends with `record` the last one downloaded, then hangs up.
    int end_call_at(int record, const QString& why);
    bool port_lost();
    void watch_clock();
    void send(const QByteArray& text);
    // Sends `text`, sets `deadline` wait_ms from now and returns `next`, the state that waits.
    int send_then(const QByteArray& text, std::int64_t& deadline, std::int64_t wait_ms, int next);
    void print(const QString& text, bool raw = false);
    std::int64_t tick() const { return clock_.tick_ms(); }

    SerialLink& port_;
    Clock& clock_;
    DialoutServices& services_;
    ModemLink modem_;
    int state_ = kIdle;
    std::int64_t next_call_ms_ = -1;
    bool no_call_said_ = false;
    std::int64_t short_deadline_ = 0;
    std::int64_t long_deadline_ = 0;
    int seen_lines_ = 0;
    int seen_long_lines_ = 0;
    int first_record_ = 0;
    int last_record_ = 0;
    int batch_count_ = 0;
    int batch_lines_ = 0;
    std::int64_t clock_offset_ms_ = 0;
    bool clock_offset_known_ = false;
};
