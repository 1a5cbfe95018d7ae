#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

#include <functional>
#include "core/stepped_worker.h"
#include "link/clock.h"
#include "link/serial_link.h"
#include "remote/dialout_settings.h"

class DialoutCall;
class RecordSink;

// The remote-logger download worker: calls a remote logger through a GSM modem on its own
// serial port at the scheduled times and appends the records it has not fetched yet to the log
// (see DialoutCall), keeping its settings in gsmdialout.xml. Console lines and end_of_log() are
// emitted on the object's own thread, in the worker's order.
// Thread: the object lives on the thread that made it (the user-interface thread); the call runs
// on its worker thread. reset(), settings() and apply_settings() may be called from any thread.
class remotelogger_core : public SteppedWorker {
    Q_OBJECT
  public:
    enum ResetFlag : int { kReadSettings = 1, kRecomputeSchedule = 2 };

    // `settings_path` is the full path of gsmdialout.xml; `workspace_root` (ending with "/")
    // is where COM port links are looked up. The port, clock and record sink outlive the object.
    remotelogger_core(SerialLink& port, Clock& clock, RecordSink& records, const QString& settings_path,
                      const QString& workspace_root, QObject* parent = nullptr);
    ~remotelogger_core() override;

    // Abandons a call in progress (the port is closed without hanging up) and starts over;
    // kReadSettings reads gsmdialout.xml first, kRecomputeSchedule plans the next call at once.
    // Applied by the worker between two steps (at once when it does not run); the caller does
    // not wait for it.
    void reset(int flags);

    DialoutSettings settings() const;
    // Takes new settings as the dialog's OK does and writes gsmdialout.xml; a columns setting
    // the record writer cannot serve is refused with a console message and the old one kept.
    // The schedule follows with reset(kRecomputeSchedule). Returns whether the file was written.
    bool apply_settings(const DialoutSettings& settings);

    // The call's step state (see DialoutCall::State), as the last step left it.
    int call_state() const { return call_state_.load(); }
    // Milliseconds since the epoch of the next call, or -1 when none is due.
    std::int64_t next_call_ms() const { return next_call_ms_.load(); }

    // One step of the call (the worker calls it; tests call it in virtual time). Returns how long
    // the worker may wait on the port before the next step changes anything.
    int step();
    // On: starts the worker unless it runs (a worker that was told to stop goes on instead).
    // Off: a call in progress is hung up ("+++", "ATH"), then the worker ends by itself; the
    // caller does not wait for it.
    void set_running(bool on);
    // For a program that downloads and exits: right after the step that adds the `records`-th
    // record from now (0: never), the call is hung up ("Abort..", "+++", "ATH", port closed)
    // and the worker loop ends; nothing more is stored.
    void stop_after_records(int records);
    // The same at once: a call in progress is hung up, then the worker loop ends by itself
    // (wait() for it).
    void hang_up_and_stop();

  signals:
    void end_of_log();

  protected:
    int work_step() override;
    bool work_done() override;
    void wait_for_work(int ms) override;
    void interrupt_wait() override;

  private:
    class Services;

    void apply_reset(int flags);
    void read_settings_file();
    // Takes `settings` when its columns setting is usable; says why not otherwise.
    void accept_settings(DialoutSettings settings);
    void set_record(int record, bool save);
    void count_record();
    bool finishing() const;
    bool save_settings();

    const QString settings_path_;
    const QString root_;

    mutable std::mutex settings_mutex_;
    DialoutSettings settings_;
    std::mutex file_mutex_;  // taken before settings_mutex_, never inside it

    mutable std::mutex request_mutex_;
    int records_left_ = 0;    // records until the worker finishes; 0: no such limit
    bool finishing_ = false;  // hang up, then end the loop
    bool ending_ = false;     // the loop has decided to end; a new start waits for it

    std::atomic<int> call_state_;
    std::atomic<std::int64_t> next_call_ms_{-1};
    std::unique_ptr<Services> services_;
    std::unique_ptr<DialoutCall> call_;
};
