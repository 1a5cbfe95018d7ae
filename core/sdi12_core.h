#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "core/core_config.h"
#include "core/core_services.h"
#include "core/core_values.h"
#include "core/option_batch.h"
#include "core/record_cursor.h"
#include "core/record_sink.h"
#include "core/sensor_link.h"
#include "core/stepped_worker.h"
#include "devices/idev.h"
#include "link/clock.h"
#include "variables/formula_pass.h"

class ColumnList;
class DeviceList;
class AddressScan;
class LoggingCycle;
class CommandTransaction;

// The acquisition core: owns the sensor bus link, the logging script and the logging state, and
// does all bus work on a worker thread of its own, one step of its current mode at a time. The
// user interface talks to it through its slots and a few direct operations and hears back through
// signals, which the worker hands to the object's own thread to emit.
// Thread: the object lives on the user-interface thread; steps run on its worker thread. Requests
// from other threads are handed to the worker, which applies them between steps; the caller does
// not wait for them.
class sdi12_core : public SteppedWorker {
    Q_OBJECT
  public:
    enum Mode : int { kIdle = 0, kScanning = 11, kLogging = 12, kSingleCommand = 13, kOptionBatch = 14 };
    enum StatusCode : int { kRecordTime = 0, kNextRecordTime = 1, kRecordNumber = 10, kStatusLine = 20 };
    // The option number of a single command that changes a sensor's address: its answer comes
    // back as cmd_event(kAddressChange), and the bus is scanned again.
    static constexpr int kAddressChange = 1;

    // The cycle's records go to `records` (the station's record log, which outlives the core).
    sdi12_core(ColumnList& columns, DeviceList& devices, SerialLink& port, Clock& clock,
               const QString& workspace_root, RecordSink& records, QObject* parent = nullptr);
    ~sdi12_core() override;

    // Settings (config.xml).
    CoreSettings settings() const;
    void set_settings(const CoreSettings& settings);
    void read_core_config();
    int write_core_config() const;
    QString workspace_root() const { return root_; }
    QString log_file_name() const;
    QString log_file_path() const;
    void make_log_file_name();

    // Direct operations; when the worker runs they are applied on it between steps (the caller
    // goes on at once: mode_changed() and the console tell what happened).
    void open_port(int port_number);
    void prepare_scan(int request_code);
    void start_scan();
    void set_logging(bool on);
    void rebuild_scripts();

    // The value store over the columns and the record cursor (the cycle and the formula pass use
    // it on the worker; tests set values through it).
    void set_column_value(int index, float value) { values_.set_column_value(index, value); }
    ColumnSink& values() { return values_; }

    QString status_text(int code) const;
    static QString mode_name(int mode);
    int mode() const;
    int step_state() const;
    QString last_answer() const;
    // Why the port is lost (or could not be opened); empty while it works.
    QString port_problem() const;
    int record_number() const;
    int highest_cell() const;
    int cell_pointer() const;
    std::vector<QString> script() const;
    // The readings of the latest option batch so far; read it on multicmd_finnished().
    OptionBatchReply option_batch_reply() const;

    // One step of the current mode (the worker calls it; tests call it in virtual time).
    // Returns how long the worker may block on the port before the next step changes anything.
    int step();

  public slots:
    void do_cmd(QString str, int option);
    void do_cmd(QString str);
    // Reads every option of the request that has a read command; returns the batch's number,
    // which option_batch_reply() carries.
    int do_multicmd(const OptionBatchRequest& request);

  signals:
    void devlist_changed();
    void cmd_finnished();
    void cmd_event(int option);
    void multicmd_finnished();
    void end_of_log();
    void mode_changed();
    // The port was lost or is back (the status line says which).
    void port_state_changed();
    // A cycle came and wrote no record: its port is lost or could not be opened.
    void cycle_skipped();

  protected:
    int work_step() override;
    void wait_for_work(int ms) override;
    void interrupt_wait() override;

  private:
    // What the state machines may use of the core.
    class Services;

    void announce_mode();
    void set_mode(int mode, int step_state);
    // A tool's request pauses logging for the tool's own duration: said on the console; the
    // cycle in progress writes no record.
    void pause_logging_for(const QString& what);
    // After a step of a tool: an address change rescans the bus; a tool that is done lets paused
    // logging go on at the next multiple of the interval.
    void after_tool_step(int mode, int state);
    void clear_measured_values();
    std::pair<int, int> mode_and_state() const;  // one consistent reading of both
    void set_active(bool on);
    CommMode comm_mode() const;
    void set_last_answer(const QString& answer);
    void set_record_times(std::int64_t record_time, std::int64_t next_log_time);
    std::vector<QByteArray> current_script() const;
    void finish_record();
    // Follows the port's state after a step: said in the status line and by port_state_changed.
    void watch_port();

    ColumnList& columns_;
    DeviceList& devices_;
    Clock& clock_;
    const QString root_;
    SensorLink link_;

    mutable std::mutex state_mutex_;  // guards the fields below that other threads read
    CoreSettings settings_;
    int mode_ = kIdle;
    int last_announced_mode_ = kIdle;
    int step_state_ = 0;
    bool active_ = false;
    QString last_answer_;
    QString stop_time_;
    QString port_problem_;         // why the port is lost; empty while it works
    bool logging_paused_ = false;  // a sensor tool has the bus; logging goes on after it

    std::atomic<int> batches_asked_{0};
    RecordCursor cursor_;
    CoreValues values_{columns_, cursor_};

    mutable std::mutex record_mutex_;  // record times, read by the status line
    std::int64_t record_time_ = 0;
    std::int64_t next_log_time_ = 0;

    mutable std::mutex script_mutex_;
    std::vector<QByteArray> script_;  // the latest build; a cycle takes it when it starts

    bool port_lost_ = false;  // worker only: the port's state after the last step

    std::unique_ptr<Services> services_;
    RecordSink& records_;
    std::unique_ptr<AddressScan> scan_;
    std::unique_ptr<LoggingCycle> logging_;
    std::unique_ptr<CommandTransaction> command_;
};
