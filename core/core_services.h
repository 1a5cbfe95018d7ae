#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "core/sensor_link.h"
#include "link/clock.h"

class RecordCursor;
class ColumnSink;

// What the core announces to the user interface (each one becomes a signal of the core).
enum class CoreEvent {
    kDeviceListChanged,
    kCommandAnswered,
    kOptionAnswered,
    kCycleEnded,
    kCycleSkipped,
    kPortChanged
};

// The few things the core's state machines (scan, script walk, logging cycle, command
// transactions) use of the core: the bus link and its clock, the console, the record cursor and
// value store, the logging script and settings, and the events the core announces. The core
// implements it; tests and machines see nothing else of it.
// Thread: the core's worker thread.
class CoreServices {
  public:
    virtual ~CoreServices() = default;

    virtual SensorLink& link() = 0;
    virtual Clock& clock() = 0;
    virtual CommMode comm_mode() const = 0;
    // Console text: raw texts pass unchanged, all others get "\r\n".
    virtual void print(const QString& text, bool raw = false) = 0;
    virtual void announce(CoreEvent event, int argument = 0) = 0;
    // The answer line a command or option read got, for the tools to show.
    virtual void set_last_answer(const QByteArray& line) = 0;

    virtual RecordCursor& cursor() = 0;
    virtual ColumnSink& values() = 0;

    // The logging script of the latest rebuild; a cycle takes it when it starts.
    virtual std::vector<QByteArray> logging_script() const = 0;
    virtual int log_interval() const = 0;
    virtual void set_record_times(std::int64_t record_time, std::int64_t next_log_time) = 0;
    // The start of a cycle: every column a cycle measures is NaN until the cycle fills it.
    virtual void clear_measured_values() = 0;
    // The end of a cycle: the formula pass, the record line, the current values for the windows.
    virtual void finish_record() = 0;
    // Ends an activity that turns the core idle by itself (the scan, an option batch).
    virtual void go_idle() = 0;
};
