#pragma once

#include <QObject>
#include <QString>
#include <QTextStream>
#include <memory>

#include "link/clock.h"
#include "link/serial_link.h"
#include "station/station.h"

class QEventLoop;
class sdi12_core;

// One run of the headless logger: builds the acquisition objects over the workspace, carries out
// one command (scan, log or a single sensor command) and returns the exit code. The console
// stream of the core goes to standard output.
// Thread: the program's main thread; the core's worker runs beside it.
class LoggerSession : public QObject {
    Q_OBJECT
  public:
    enum ExitCode : int { kOk = 0, kUsage = 2, kNoAnswer = 3, kRecordsLost = 4, kNoPort = 5 };

    LoggerSession(SerialLink& link, Clock& clock, const QString& workspace_root, QObject* parent = nullptr);
    ~LoggerSession() override;

    int scan();
    // Logs until `cycles` records are written (0: until stop() is called).
    int log(int cycles);
    int command(const QString& text);

    // Ends logging cleanly after the record being written (signal handlers call this).
    void stop();

    // Quiet: of the console stream only the record lines ("<time> : Gathering Data") and the
    // messages that say something is wrong; no bus traffic, no script lines.
    void set_quiet(bool quiet) { quiet_ = quiet; }

  private:
    void prepare_workspace();
    // Writes a console text of the core, the remote logger or the file import.
    void print_console(const QString& text);
    bool shown_when_quiet(const QString& text) const;
    // Writes out every console line the core has printed so far.
    void flush_console();
    // After logging, downloading or importing: the record lines the log still holds back are
    // written if the file takes them now, or said lost. Returns the exit code.
    int finish_logging();
    // Runs the event loop until the core's step state is `state` (its finished state).
    void wait_for_step_state(int state);
    // The "File Remote" mode of log(): the file import instead of the bus.
    int import_files(int cycles);
    // The "Modem" mode of log(): the remote logger's scheduled calls instead of the bus.
    int download_records(int cycles);

    QTextStream out_;
    Station station_;
    sdi12_core& core_;
    QEventLoop* logging_loop_ = nullptr;  // while log() runs
    bool stopping_ = false;
    bool quiet_ = false;
    // The last console text printed did not end its line (an address that echoed but did not answer).
    bool console_line_open_ = false;
};
