#include "logger/logger_session.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "core/address_scan.h"
#include "core/command_transaction.h"
#include "core/sdi12_core.h"
#include "core/sensor_link.h"
#include "fileio/fileio_core.h"
#include "remote/remotelogger_core.h"

namespace {
constexpr int kPollMs = 20;
}

LoggerSession::LoggerSession(SerialLink& link, Clock& clock, const QString& workspace_root, QObject* parent)
    : QObject(parent), out_(stdout), station_(link, clock, workspace_root), core_(station_.core()) {
    // The station's console emits on this thread, each worker's lines in the order it printed
    // them: written at once, nothing queued that could be left behind at exit.
    connect(&station_.console(), &StationConsole::printline, this, &LoggerSession::print_console);
}

void LoggerSession::print_console(const QString& text) {
    if (quiet_ && !shown_when_quiet(text)) return;
    out_ << QString(text).remove(QLatin1Char('\r'));
    if (!text.isEmpty()) console_line_open_ = !text.endsWith(QLatin1Char('\n'));
    // Received characters come one by one; a write per line is enough for a reader of the output.
    if (text.endsWith(QLatin1Char('\n'))) out_.flush();
}

bool LoggerSession::shown_when_quiet(const QString& text) const {
    // Bus traffic comes a character at a time and ends with a bare line end; messages come whole.
    if (!text.endsWith(QLatin1String("\r\n"))) return false;
    const QString line = text.chopped(2);
    if (line.isEmpty()) return false;
    if (line.endsWith(QLatin1String(" : Gathering Data"))) return true;
    // What goes as planned: the start and end of logging, and the script lines the cycle echoes
    // (a script ends in "END" whether it holds one or not). Any other message is a warning or error.
    if (line == QLatin1String("Start") || line == QLatin1String("Stop") || line == QLatin1String("END") ||
        line == QLatin1String("Hello World"))
        return false;
    for (const QString& script_line : core_.script())
        if (script_line == line) return false;
    return true;
}

LoggerSession::~LoggerSession() {
    core_.shut_down();
    flush_console();
}

void LoggerSession::flush_console() {
    core_.deliver_notices();
    station_.importer().deliver_notices();
    station_.remote().deliver_notices();
    station_.console().deliver_notices();
    out_.flush();
}

void LoggerSession::wait_for_step_state(int state) {
    // A scan or a single command lasts seconds; looking every 20 ms costs nothing worth saving.
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (core_.step_state() == state) loop.quit();
    });
    poll.start(kPollMs);
    loop.exec();
}

void LoggerSession::prepare_workspace() {
    station_.create_folders();
    station_.load_core_settings();
}

int LoggerSession::scan() {
    prepare_workspace();
    station_.start_core();
    core_.prepare_scan(1);
    core_.settle();
    if (!core_.port_problem().isEmpty()) {
        // The console said which port and why.
        flush_console();
        return kNoPort;
    }
    core_.start_scan();
    core_.settle();
    wait_for_step_state(AddressScan::kDone);
    flush_console();
    // The list starts on a line of its own, also after an address that echoed without answering.
    if (console_line_open_) out_ << '\n';
    for (const idev& dev : station_.devices().snapshot()) {
        if (dev.identification.isEmpty()) continue;
        out_ << dev.address << ' ' << QString(dev.identification).remove(QLatin1Char('\r')) << '\n';
    }
    out_.flush();
    return kOk;
}

int LoggerSession::log(int cycles) {
    station_.start_up();
    if (core_.settings().comm_mode == int(CommMode::FileRemote)) return import_files(cycles);
    if (core_.settings().comm_mode == int(CommMode::Modem)) return download_records(cycles);
    int done = 0;
    int skipped = 0;
    QEventLoop loop;
    // Nothing polls while logging: the loop wakes for the core's signals and the stop request.
    connect(&core_, &sdi12_core::end_of_log, &loop, [&] {
        if (cycles > 0 && ++done >= cycles) stop();
    });
    // A cycle without its port counts too, so a run of N cycles ends even without the port.
    connect(&core_, &sdi12_core::cycle_skipped, &loop, [&] {
        ++skipped;
        if (cycles > 0 && ++done >= cycles) stop();
    });
    logging_loop_ = &loop;
    core_.set_logging(true);
    if (!stopping_) loop.exec();
    logging_loop_ = nullptr;
    const int code = finish_logging();
    // Only a counted run says it missed cycles; a service stopped after a skipped cycle ends well.
    return code == kOk && cycles > 0 && skipped > 0 ? kNoPort : code;
}

int LoggerSession::finish_logging() {
    const int lost = station_.finish_record_log();
    flush_console();
    return lost > 0 ? kRecordsLost : kOk;
}

int LoggerSession::import_files(int cycles) {
    fileio_core& importer = station_.importer();
    QEventLoop loop;
    // Windows are told of imported records a few times a second, not once a record: the worker
    // counts the records itself and ends after the last one asked for.
    importer.stop_after_records(cycles);
    connect(&importer, &SteppedWorker::stopped, &loop, [&] {
        if (cycles > 0) stop();
    });
    logging_loop_ = &loop;
    station_.apply_import_mode();
    if (!stopping_) loop.exec();
    logging_loop_ = nullptr;
    // Waits for the record being imported.
    importer.shut_down();
    return finish_logging();
}

int LoggerSession::download_records(int cycles) {
    remotelogger_core& remote = station_.remote();
    int written = 0;
    QEventLoop loop;
    connect(&remote, &remotelogger_core::end_of_log, &loop, [&] {
        if (cycles > 0 && ++written >= cycles) stop();
    });
    logging_loop_ = &loop;
    // Records follow each other within milliseconds: the worker itself stops at the last one.
    remote.stop_after_records(cycles);
    station_.apply_remote_mode();
    if (!stopping_) loop.exec();
    logging_loop_ = nullptr;
    // A record is stored, and its number saved, within one step; a call in progress is hung up
    // before the worker ends, so the modem is free for the next run.
    remote.hang_up_and_stop();
    remote.wait();
    remote.shut_down();
    return finish_logging();
}

void LoggerSession::stop() {
    if (stopping_) return;
    // Stops the file import after the record it is importing (nothing when it does not run).
    station_.importer().set_import_running(false);
    // Applied between two steps of the worker, so the record in progress is complete.
    core_.set_logging(false);
    stopping_ = true;
    if (logging_loop_) logging_loop_->quit();
}

int LoggerSession::command(const QString& text) {
    prepare_workspace();
    station_.start_core();
    core_.prepare_scan(0);
    core_.settle();
    bool answered = false;
    connect(&core_, &sdi12_core::cmd_finnished, this, [&] { answered = true; });
    core_.do_cmd(text);
    core_.settle();
    wait_for_step_state(CommandTransaction::kNext);
    flush_console();
    if (!answered) return kNoAnswer;
    out_ << '\n' << QString(core_.last_answer()).remove(QLatin1Char('\r')) << '\n';
    out_.flush();
    return kOk;
}
