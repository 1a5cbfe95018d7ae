#include "logger/logger_session.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "core/address_scan.h"
#include "core/command_transaction.h"
#include "core/sdi12_core.h"
#include "core/workspace.h"
#include "devices/parse_dev_cfg.h"
#include "variables/varlist_file.h"

namespace {
constexpr int kPollMs = 20;
}

LoggerSession::LoggerSession(SerialLink& link, Clock& clock, const QString& workspace_root, QObject* parent)
    : QObject(parent),
      out_(stdout),
      core_(std::make_unique<sdi12_core>(columns_, devices_, link, clock, workspace_root)),
      root_(workspace_root) {
    // Console text is written on this thread, in the order the core printed it.
    connect(
        core_.get(), &sdi12_core::printline, this,
        [this](const QString& text) {
            out_ << QString(text).remove(QLatin1Char('\r'));
            out_.flush();
        },
        Qt::QueuedConnection);
}

LoggerSession::~LoggerSession() {
    core_->shut_down();
}

void LoggerSession::flush_console() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void LoggerSession::wait_for_step_state(int state) {
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (core_->step_state() == state) loop.quit();
    });
    poll.start(kPollMs);
    loop.exec();
}

void LoggerSession::prepare_workspace() {
    for (const QString& problem : ensure_workspace_folders(root_)) core_->print(problem);
    core_->read_core_config();
}

void LoggerSession::load_workspace_settings() {
    columns_.reset_columns(ColumnList::kDefaultCount);
    read_varlist(columns_, root_ + QStringLiteral("Config/varlist.xml"));
    parse_dev_cfg::load_all(devices_, root_ + QStringLiteral("Devices/"));
    core_->rebuild_scripts();
}

int LoggerSession::scan() {
    prepare_workspace();
    core_->start();
    core_->prepare_scan(1);
    core_->start_scan();
    wait_for_step_state(AddressScan::kDone);
    flush_console();
    for (const idev& dev : devices_.snapshot()) {
        if (dev.identification.isEmpty()) continue;
        out_ << dev.address << ' ' << QString(dev.identification).remove(QLatin1Char('\r')) << '\n';
    }
    out_.flush();
    return kOk;
}

int LoggerSession::log(int cycles) {
    prepare_workspace();
    load_workspace_settings();
    core_->start();
    int written = 0;
    QEventLoop loop;
    connect(core_.get(), &sdi12_core::end_of_log, &loop, [&] {
        if (cycles > 0 && ++written >= cycles) stop();
    });
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (stopping_) loop.quit();
    });
    poll.start(kPollMs);
    core_->set_logging(true);
    loop.exec();
    flush_console();
    return kOk;
}

void LoggerSession::stop() {
    if (stopping_) return;
    // Applied between two steps of the worker, so the record in progress is complete.
    core_->set_logging(false);
    stopping_ = true;
}

int LoggerSession::command(const QString& text) {
    prepare_workspace();
    core_->start();
    core_->prepare_scan(0);
    bool answered = false;
    connect(core_.get(), &sdi12_core::cmd_finnished, this, [&] { answered = true; });
    core_->do_cmd(text);
    wait_for_step_state(CommandTransaction::kNext);
    flush_console();
    if (!answered) return kNoAnswer;
    out_ << '\n' << QString(core_->last_answer()).remove(QLatin1Char('\r')) << '\n';
    out_.flush();
    return kOk;
}
