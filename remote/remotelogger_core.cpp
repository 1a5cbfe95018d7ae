#include "remote/remotelogger_core.h"

#include <QFile>
#include <algorithm>

#include "remote/dialout_call.h"
#include "remote/dialout_services.h"

class remotelogger_core::Services final : public DialoutServices {
  public:
    Services(remotelogger_core& owner, RecordSink& records) : owner_(owner), records_(records) {}

    void print(const QString& text, bool raw) override { owner_.print(text, raw); }
    DialoutSettings settings() const override { return owner_.settings(); }
    void set_record(int record, bool save) override { owner_.set_record(record, save); }
    RecordSink& records() override { return records_; }
    void record_added() override {
        owner_.count_record();
        remotelogger_core* o = &owner_;
        owner_.notify([o] { emit o->end_of_log(); });
    }
    std::string workspace_root() const override { return QFile::encodeName(owner_.root_).toStdString(); }

  private:
    remotelogger_core& owner_;
    RecordSink& records_;
};

remotelogger_core::remotelogger_core(SerialLink& port, Clock& clock, RecordSink& records,
                                     const QString& settings_path, const QString& workspace_root,
                                     QObject* parent)
    : SteppedWorker(parent),
      settings_path_(settings_path),
      root_(workspace_root),
      call_state_(DialoutCall::kIdle),
      services_(std::make_unique<Services>(*this, records)),
      call_(std::make_unique<DialoutCall>(port, clock, *services_)) {}

remotelogger_core::~remotelogger_core() {
    shut_down();  // before the call goes
}

// ---- settings -------------------------------------------------------------------------------

DialoutSettings remotelogger_core::settings() const {
    std::lock_guard<std::mutex> lock(settings_mutex_);
    return settings_;
}

void remotelogger_core::accept_settings(DialoutSettings settings) {
    const QString refusal = columns_refusal(settings.columns);
    int kept;
    {
        std::lock_guard<std::mutex> lock(settings_mutex_);
        kept = settings_.columns;
        // The writer refuses a record of more than 200 columns, yet the record would count as
        // downloaded and be lost: such a setting is never taken.
        if (!refusal.isEmpty()) settings.columns = kept;
        settings_ = settings;
    }
    if (!refusal.isEmpty()) print(refusal + QStringLiteral(" (keeping %1)").arg(kept));
}

bool remotelogger_core::apply_settings(const DialoutSettings& settings) {
    accept_settings(settings);
    return save_settings();
}

bool remotelogger_core::save_settings() {
    // The dialog's thread and the worker both write the file: one at a time, each writing the
    // settings as they are then, so the file never goes back to an older last record.
    std::lock_guard<std::mutex> lock(file_mutex_);
    return write_dialout_settings(settings_path_, settings());
}

void remotelogger_core::read_settings_file() {
    DialoutSettings read = settings();
    const QString said = read_dialout_settings(settings_path_, read);
    if (!said.isEmpty()) print(said);
    accept_settings(read);
}

void remotelogger_core::set_record(int record, bool save) {
    {
        std::lock_guard<std::mutex> lock(settings_mutex_);
        settings_.record = record;
    }
    if (save && !save_settings())
        print(QStringLiteral("Cannot write %1: the last downloaded record is %2")
                  .arg(settings_path_)
                  .arg(record));
}

// ---- requests and stepping ------------------------------------------------------------------

void remotelogger_core::reset(int flags) {
    post([this, flags] { apply_reset(flags); });
}

void remotelogger_core::apply_reset(int flags) {
    if (flags & kReadSettings) read_settings_file();
    if (flags & kRecomputeSchedule) call_->plan_next_call();
    call_->restart();
    call_state_.store(call_->state());
    next_call_ms_.store(call_->next_call_ms());
}

int remotelogger_core::step() {
    int wait_ms = call_->step();
    if (finishing()) {
        call_->hang_up();
        wait_ms = 0;  // the hang-up goes on at once
    }
    call_state_.store(call_->state());
    next_call_ms_.store(call_->next_call_ms());
    return wait_ms;
}

int remotelogger_core::work_step() {
    return step();
}

bool remotelogger_core::work_done() {
    std::lock_guard<std::mutex> lock(request_mutex_);
    if (finishing_ && call_->between_calls()) ending_ = true;
    return ending_;
}

void remotelogger_core::wait_for_work(int ms) {
    call_->wait_readable(ms);
}

void remotelogger_core::interrupt_wait() {
    call_->wake();
}

void remotelogger_core::set_running(bool on) {
    if (!on) {
        if (isRunning()) hang_up_and_stop();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(request_mutex_);
        if (isRunning() && !ending_) {
            // Told to stop but still hanging up: it simply goes on.
            finishing_ = false;
            return;
        }
    }
    // A worker that has just decided to end is let finish before the next one starts.
    wait();
    {
        std::lock_guard<std::mutex> lock(request_mutex_);
        finishing_ = ending_ = false;
    }
    start();
}

void remotelogger_core::stop_after_records(int records) {
    std::lock_guard<std::mutex> lock(request_mutex_);
    records_left_ = std::max(records, 0);
}

void remotelogger_core::count_record() {
    std::lock_guard<std::mutex> lock(request_mutex_);
    if (records_left_ > 0 && --records_left_ == 0) finishing_ = true;
}

void remotelogger_core::hang_up_and_stop() {
    {
        std::lock_guard<std::mutex> lock(request_mutex_);
        finishing_ = true;
    }
    call_->wake();
}

bool remotelogger_core::finishing() const {
    std::lock_guard<std::mutex> lock(request_mutex_);
    return finishing_;
}
