#include "core/sdi12_core.h"

#include <limits>

#include <QFile>
#include <algorithm>
#include <atomic>

#include "core/address_scan.h"
#include "core/command_transaction.h"
#include "core/logging_cycle.h"
#include "core/logging_script.h"
#include "core/record_format.h"
#include "devices/device_list.h"
#include "settings/workspace.h"
#include "variables/column_list.h"

namespace {
constexpr int kMaxFileNameLength = 255;
constexpr int kClearedColumns = 1000;
constexpr int kIdleWaitMs = 1000;
}  // namespace

class sdi12_core::Services final : public CoreServices {
  public:
    explicit Services(sdi12_core& core) : core_(core) {}

    SensorLink& link() override { return core_.link_; }
    Clock& clock() override { return core_.clock_; }
    CommMode comm_mode() const override { return core_.comm_mode(); }
    void print(const QString& text, bool raw) override { core_.print(text, raw); }
    void set_last_answer(const QByteArray& line) override {
        core_.set_last_answer(QString::fromLatin1(line));
    }
    RecordCursor& cursor() override { return core_.cursor_; }
    ColumnSink& values() override { return core_.values_; }
    std::vector<QByteArray> logging_script() const override { return core_.current_script(); }
    int log_interval() const override { return core_.settings().interval; }
    void set_record_times(std::int64_t record_time, std::int64_t next_log_time) override {
        core_.set_record_times(record_time, next_log_time);
    }
    void finish_record() override { core_.finish_record(); }
    void clear_measured_values() override { core_.clear_measured_values(); }
    void go_idle() override { core_.set_active(false); }

    void announce(CoreEvent event, int argument) override {
        sdi12_core* c = &core_;
        switch (event) {
            case CoreEvent::kDeviceListChanged:
                core_.notify([c] { emit c->devlist_changed(); });
                break;
            case CoreEvent::kCommandAnswered:
                core_.notify([c, argument] {
                    emit c->cmd_finnished();
                    if (argument != 0) emit c->cmd_event(argument);
                });
                break;
            case CoreEvent::kOptionAnswered:
                core_.notify([c] { emit c->multicmd_finnished(); });
                break;
            case CoreEvent::kCycleEnded:
                core_.notify([c] { emit c->end_of_log(); });
                break;
            case CoreEvent::kCycleSkipped:
                core_.notify([c] { emit c->cycle_skipped(); });
                break;
            case CoreEvent::kPortChanged:
                core_.notify([c] { emit c->port_state_changed(); });
                break;
        }
    }

  private:
    sdi12_core& core_;
};

sdi12_core::sdi12_core(ColumnList& columns, DeviceList& devices, SerialLink& port, Clock& clock,
                       const QString& workspace_root, RecordSink& records, QObject* parent)
    : SteppedWorker(parent),
      columns_(columns),
      devices_(devices),
      clock_(clock),
      root_(workspace_root),
      link_(port, clock, [this](const QString& text, bool raw) { print(text, raw); }),
      services_(std::make_unique<Services>(*this)),
      records_(records),
      scan_(std::make_unique<AddressScan>(*services_, devices)),
      logging_(std::make_unique<LoggingCycle>(*services_)),
      command_(std::make_unique<CommandTransaction>(*services_)) {}

sdi12_core::~sdi12_core() {
    shut_down();  // before the machines go
}

// ---- the worker ----------------------------------------------------------------------------

int sdi12_core::work_step() {
    announce_mode();
    {
        std::lock_guard<std::mutex> lock(state_mutex_);
        if (!active_) return kUntilRequest;  // nothing to step until somebody asks for something
    }
    return step();
}

void sdi12_core::wait_for_work(int ms) {
    link_.wait_readable(ms);
}

void sdi12_core::interrupt_wait() {
    link_.wake();
}

// ---- stepping -------------------------------------------------------------------------------

std::pair<int, int> sdi12_core::mode_and_state() const {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return {mode_, step_state_};
}

int sdi12_core::step() {
    auto [mode, state] = mode_and_state();
    // After a single command's answer the core only echoes what still arrives; idle, it only
    // looks at the port now and then.
    StepResult result{state, kIdleWaitMs};
    switch (mode) {
        case kScanning:
            result = scan_->step(state);
            break;
        case kLogging:
            result = logging_->step(state);
            break;
        case kSingleCommand:
            result = command_->step_single(state);
            if (result.state == CommandTransaction::kNext) result.wait_ms = kIdleWaitMs;
            break;
        case kOptionBatch:
            result = command_->step_batch(state);
            break;
        default:
            break;
    }
    {
        std::lock_guard<std::mutex> lock(state_mutex_);
        if (mode_ == mode) step_state_ = result.state;
    }
    after_tool_step(mode, result.state);
    watch_port();
    announce_mode();
    // A tool that handed the bus back to logging, or a scan after an address change, starts at once.
    return mode_and_state().first == mode ? result.wait_ms : 0;
}

void sdi12_core::after_tool_step(int mode, int state) {
    if (mode == kSingleCommand && state == CommandTransaction::kNext && command_->answered() &&
        command_->option_number() == kAddressChange) {
        // The sensor answers at its new address now: the device list follows at once.
        scan_->start();
        set_mode(kScanning, AddressScan::kSend);
        return;
    }
    const bool tool_done = (mode == kSingleCommand && state == CommandTransaction::kNext) ||
                           (mode == kOptionBatch && state == CommandTransaction::kBatchDone) ||
                           (mode == kScanning && state == AddressScan::kDone);
    if (!tool_done) return;
    {
        std::lock_guard<std::mutex> lock(state_mutex_);
        if (!logging_paused_) return;
        logging_paused_ = false;
    }
    logging_->resume();
    set_mode(kLogging, LoggingCycle::kWaitNextCycle);
    set_active(true);
    print(QStringLiteral("Logging goes on: next record at ") + format_clock_time(logging_->next_log_time()));
}

void sdi12_core::watch_port() {
    const bool lost = link_.lost();
    if (lost == port_lost_) return;
    port_lost_ = lost;
    {
        std::lock_guard<std::mutex> lock(state_mutex_);
        port_problem_ = lost ? link_.loss_reason() : QString();
    }
    services_->announce(CoreEvent::kPortChanged, 0);
}

void sdi12_core::announce_mode() {
    bool changed;
    {
        std::lock_guard<std::mutex> lock(state_mutex_);
        changed = mode_ != last_announced_mode_;
        last_announced_mode_ = mode_;
    }
    if (changed) notify([this] { emit mode_changed(); });
}

void sdi12_core::set_mode(int mode, int step_state) {
    std::lock_guard<std::mutex> lock(state_mutex_);
    mode_ = mode;
    step_state_ = step_state;
}

void sdi12_core::pause_logging_for(const QString& what) {
    const auto [mode, state] = mode_and_state();
    if (mode != kLogging) return;
    print(QStringLiteral("Logging paused for ") + what +
          (state == LoggingCycle::kWaitNextCycle
               ? QString()
               : QStringLiteral(": the cycle in progress writes no record")));
    std::lock_guard<std::mutex> lock(state_mutex_);
    logging_paused_ = true;
}

void sdi12_core::set_active(bool on) {
    std::lock_guard<std::mutex> lock(state_mutex_);
    active_ = on;
}

CommMode sdi12_core::comm_mode() const {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return CommMode(settings_.comm_mode);
}

int sdi12_core::mode() const {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return mode_;
}

int sdi12_core::step_state() const {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return step_state_;
}

QString sdi12_core::port_problem() const {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return port_problem_;
}

QString sdi12_core::last_answer() const {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return last_answer_;
}

void sdi12_core::set_last_answer(const QString& answer) {
    std::lock_guard<std::mutex> lock(state_mutex_);
    last_answer_ = answer;
}

// ---- settings -------------------------------------------------------------------------------

CoreSettings sdi12_core::settings() const {
    std::lock_guard<std::mutex> lock(state_mutex_);
    return settings_;
}

void sdi12_core::set_settings(const CoreSettings& settings) {
    CoreSettings accepted = settings;
    if (accepted.filename.size() > kMaxFileNameLength) {
        print(QStringLiteral("File name longer than %1 characters refused").arg(kMaxFileNameLength));
        accepted.filename = this->settings().filename;
    } else if (!is_plain_file_name(accepted.filename)) {
        // The log lives in LOG/; a name with a path could write anywhere the user may write.
        print(QStringLiteral("Log file name \"%1\" refused: it must name a file inside LOG/ (keeping \"%2\")")
                  .arg(accepted.filename, this->settings().filename));
        accepted.filename = this->settings().filename;
    }
    std::lock_guard<std::mutex> lock(state_mutex_);
    settings_ = accepted;
}

void sdi12_core::read_core_config() {
    CoreSettings s = settings();
    const QString said =
        ::read_core_config(workspace_file(root_, QStringLiteral("config.xml"), kFolderConfig), s, devices_);
    if (!said.isEmpty()) print(said);
    if (s.interval <= 0) {
        print(QStringLiteral("Logging interval %1 s in config.xml is not valid: using %2 s")
                  .arg(s.interval)
                  .arg(CoreSettings::kDefaultInterval));
        s.interval = CoreSettings::kDefaultInterval;
    }
    set_settings(s);
}

int sdi12_core::write_core_config() const {
    return ::write_core_config(workspace_file(root_, QStringLiteral("config.xml"), kFolderConfig), settings(),
                               devices_);
}

QString sdi12_core::log_file_name() const {
    return settings().filename;
}

QString sdi12_core::log_file_path() const {
    return workspace_file(root_, log_file_name(), kFolderLog);
}

void sdi12_core::make_log_file_name() {
    std::lock_guard<std::mutex> lock(state_mutex_);
    settings_.filename = ::make_log_file_name(settings_.filename, clock_.wall_seconds());
}

// ---- direct operations ----------------------------------------------------------------------

void sdi12_core::open_port(int port_number) {
    post([this, port_number] {
        link_.open_port(port_number, QFile::encodeName(root_).toStdString());
        watch_port();
    });
}

void sdi12_core::prepare_scan(int /*request_code*/) {
    open_port(settings().port);
}

void sdi12_core::start_scan() {
    post([this] {
        bool paused;
        {
            std::lock_guard<std::mutex> lock(state_mutex_);
            paused = logging_paused_;
            logging_paused_ = false;
        }
        // A scan may find other sensors than the script logs: logging does not go on by itself.
        if (mode() == kLogging || paused) {
            print(QStringLiteral("Logging stopped for a scan"));
            std::lock_guard<std::mutex> lock(state_mutex_);
            stop_time_ = format_clock_time(clock_.wall_seconds());
        }
        scan_->start();
        set_mode(kScanning, AddressScan::kSend);
        set_active(true);
    });
}

void sdi12_core::set_logging(bool on) {
    post([this, on] {
        if (!on) {
            set_mode(kIdle, 0);
            print(QStringLiteral("Stop"));
            std::lock_guard<std::mutex> lock(state_mutex_);
            logging_paused_ = false;
            stop_time_ = format_clock_time(clock_.wall_seconds());
            return;
        }
        set_active(false);
        CoreSettings s = settings();
        if (s.interval <= 0) {
            print(QStringLiteral("Logging interval %1 s is not valid: using %2 s")
                      .arg(s.interval)
                      .arg(CoreSettings::kDefaultInterval));
            s.interval = CoreSettings::kDefaultInterval;
            set_settings(s);
        }
        link_.open_port(s.port, QFile::encodeName(root_).toStdString());
        watch_port();
        set_mode(kLogging, LoggingCycle::kStartOfCycle);
        cursor_.mark(RecordCursor::kRestart, 0);
        records_.restart_numbering();
        // Nothing is measured yet: a sensor silent from the start is missing, never 0.
        for (int i = 0; i < kClearedColumns; ++i)
            set_column_value(
                i, i < ColumnList::kFirstDataColumn ? 0.0f : std::numeric_limits<float>::quiet_NaN());
        logging_->start();
        print(QStringLiteral("Start"));
        set_active(true);
    });
}

void sdi12_core::rebuild_scripts() {
    LoggingScript built = build_logging_script(devices_.snapshot());
    columns_.clear_labels();
    for (const auto& [column, label] : built.labels) columns_.set_label(column, label);
    devices_.update_all([&](std::array<idev, DeviceList::kSlots>& all) {
        for (int s = 0; s < DeviceList::kSlots; ++s) all[s].end_column = std::uint16_t(built.end_columns[s]);
    });
    std::lock_guard<std::mutex> lock(script_mutex_);
    script_ = std::move(built.lines);
}

std::vector<QByteArray> sdi12_core::current_script() const {
    std::lock_guard<std::mutex> lock(script_mutex_);
    return script_;
}

std::vector<QString> sdi12_core::script() const {
    std::vector<QString> lines;
    for (const QByteArray& l : current_script()) lines.push_back(QString::fromLatin1(l));
    return lines;
}

void sdi12_core::do_cmd(QString str, int option) {
    post([this, str, option] {
        pause_logging_for(option == kAddressChange ? QStringLiteral("an address change")
                                                   : QStringLiteral("a manual command"));
        command_->start_single(str, option);
        set_mode(kSingleCommand, CommandTransaction::kSend);
        set_active(true);
    });
}

void sdi12_core::do_cmd(QString str) {
    do_cmd(str, 0);
}

int sdi12_core::do_multicmd(const OptionBatchRequest& request) {
    const int batch = ++batches_asked_;
    post([this, request, batch] {
        pause_logging_for(QStringLiteral("reading sensor options"));
        command_->start_batch(request, batch);
        set_mode(kOptionBatch, CommandTransaction::kSend);
        set_active(true);
    });
    return batch;
}

OptionBatchReply sdi12_core::option_batch_reply() const {
    return command_->batch_reply();
}

// ---- values and records ---------------------------------------------------------------------

int sdi12_core::highest_cell() const {
    return cursor_.highest();
}

int sdi12_core::cell_pointer() const {
    return cursor_.pointer();
}

int sdi12_core::record_number() const {
    return records_.record_number();
}

void sdi12_core::set_record_times(std::int64_t record_time, std::int64_t next_log_time) {
    std::lock_guard<std::mutex> lock(record_mutex_);
    record_time_ = record_time;
    next_log_time_ = next_log_time;
}

void sdi12_core::clear_measured_values() {
    const double missing = std::numeric_limits<double>::quiet_NaN();
    const QString missing_text = ColumnList::format_value(missing);
    columns_.edit_all([&](std::vector<column_record>& all) {
        const int last = std::min(int(all.size()) - 1, RecordCursor::kMaxColumn);
        for (int i = ColumnList::kFirstDataColumn; i <= last; ++i) {
            // Computed columns get their value from the formula pass at the end of the cycle.
            if (!all[std::size_t(i)].formula.trimmed().isEmpty()) continue;
            all[std::size_t(i)].value = missing;
            all[std::size_t(i)].value_text = missing_text;
        }
    });
}

void sdi12_core::finish_record() {
    // The Record column holds the number of the record being written, for panels bound to it.
    set_column_value(ColumnList::kRecordColumn, float(records_.record_number()));
    run_formulas(columns_, values_);
    std::int64_t record_time;
    {
        std::lock_guard<std::mutex> lock(record_mutex_);
        record_time = record_time_;
    }
    records_.append_cycle(cursor_.highest(), record_time);
}

QString sdi12_core::mode_name(int mode) {
    if (mode == kLogging) return QStringLiteral("LOGGING");
    if (mode == kScanning) return QStringLiteral("SCANNING");
    return QStringLiteral("IDLE");
}

QString sdi12_core::status_text(int code) const {
    std::int64_t record_time, number;
    {
        std::lock_guard<std::mutex> lock(record_mutex_);
        record_time = record_time_;
    }
    number = records_.record_number();
    const int interval = settings().interval;
    switch (code) {
        case kRecordTime:
            return format_clock_time(record_time);
        case kNextRecordTime: {
            // Never a time already past: a cycle in progress ends before the next multiple.
            std::int64_t next;
            {
                std::lock_guard<std::mutex> lock(record_mutex_);
                next = next_log_time_;
            }
            const std::int64_t now = clock_.wall_seconds();
            return format_clock_time(next > now || interval <= 0 ? next : next_multiple(now, interval));
        }
        case kRecordNumber:
            return QString::number(number);
        case kStatusLine: {
            const bool logging = mode() == kLogging;
            bool paused;
            {
                std::lock_guard<std::mutex> lock(state_mutex_);
                paused = logging_paused_;
            }
            QString text = QStringLiteral("Logging ") + (logging  ? QStringLiteral("Y")
                                                         : paused ? QStringLiteral("paused")
                                                                  : QStringLiteral("N"));
            if (logging) {
                text += QStringLiteral("      Current record:") + QString::number(number) +
                        QStringLiteral(" at: ") + status_text(kRecordTime) +
                        QStringLiteral("      Next Log ") + status_text(kNextRecordTime);
            } else if (paused) {
                text += QStringLiteral(" for a sensor tool");
            } else {
                std::lock_guard<std::mutex> lock(state_mutex_);
                if (stop_time_.size() >= 2) text += QStringLiteral("     Stopped at ") + stop_time_;
            }
            std::lock_guard<std::mutex> lock(state_mutex_);
            if (!port_problem_.isEmpty()) text += QStringLiteral("      Port lost: ") + port_problem_;
            return text;
        }
        default:
            return QString();
    }
}
