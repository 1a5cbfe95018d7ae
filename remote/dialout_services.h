#pragma once

#include <QString>
#include <string>

#include "remote/dialout_settings.h"

class RecordSink;

// What the dial-out call may use of the remote logger that runs it: the console, the settings
// and their last-record number, where downloaded records go, and the record signal.
// Thread: called on the remote logger's worker thread.
class DialoutServices {
  public:
    virtual ~DialoutServices() = default;
    // Raw texts pass unchanged; all others get "\r\n".
    virtual void print(const QString& text, bool raw) = 0;
    virtual DialoutSettings settings() const = 0;
    // Sets the last downloaded record number; `save` writes gsmdialout.xml at once.
    virtual void set_record(int record, bool save) = 0;
    virtual RecordSink& records() = 0;
    // A downloaded record was added to the log (end_of_log()).
    virtual void record_added() = 0;
    // Where COM port links live ("<root>Ports/COM<n>"), see port_device_name.
    virtual std::string workspace_root() const = 0;
};
