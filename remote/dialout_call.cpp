#include "remote/dialout_call.h"

#include <algorithm>
#include <cstdlib>

#include "core/downloaded_record.h"
#include "core/record_sink.h"
#include "remote/batch_plan.h"
#include "remote/call_schedule.h"
#include "remote/dialout_services.h"

namespace {

constexpr int kMaxBudgetMs = 1000;

bool waits_for_answer(int state) {
    return state == DialoutCall::kWaitConnect || state == DialoutCall::kWaitGreeting ||
           state == DialoutCall::kWaitFirst || state == DialoutCall::kWaitLast ||
           state == DialoutCall::kWaitRecords;
}

bool waits_for_pause(int state) {
    return state == DialoutCall::kResetPause || state == DialoutCall::kClockPause ||
           state == DialoutCall::kWaitSilence || state == DialoutCall::kWaitEscape ||
           state == DialoutCall::kWaitHangUp;
}

int budget_until(std::int64_t deadline_ms, std::int64_t now_ms) {
    return int(std::clamp<std::int64_t>(deadline_ms + 1 - now_ms, 0, kMaxBudgetMs));
}

// A record number as the logger answers STARTREC? and LASTREC?; anything else is no answer.
bool read_record_number(const QString& text, int& number) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok) number = value;
    return ok;
}

}  // namespace

DialoutCall::DialoutCall(SerialLink& port, Clock& clock, DialoutServices& services)
    : port_(port),
      clock_(clock),
      services_(services),
      modem_(port, [this](const QString& text, bool raw) { print(text, raw); }) {}

void DialoutCall::print(const QString& text, bool raw) {
    services_.print(text, raw);
}

void DialoutCall::send(const QByteArray& text) {
    modem_.write_text(text);
    print(QStringLiteral(">") + QString::fromLatin1(text));
}

int DialoutCall::send_then(const QByteArray& text, std::int64_t& deadline, std::int64_t wait_ms, int next) {
    send(text);
    // An answer counts only when it comes after the text it answers.
    modem_.clear_received_text();
    deadline = tick() + wait_ms;
    return next;
}

void DialoutCall::plan_next_call() {
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(clock_.wall_ms());
    const QDateTime next = next_call_time(services_.settings(), now);
    if (next.isValid()) {
        next_call_ms_ = next.toMSecsSinceEpoch();
        no_call_said_ = false;
        return;
    }
    next_call_ms_ = -1;
    if (!no_call_said_)
        print(QStringLiteral("No day chosen for the daily call: the remote logger is not called"));
    no_call_said_ = true;
}

void DialoutCall::watch_clock() {
    const std::int64_t offset = clock_.wall_ms() - clock_.tick_ms();
    const std::int64_t moved = offset - clock_offset_ms_;
    const bool known = clock_offset_known_;
    clock_offset_ms_ = offset;
    clock_offset_known_ = true;
    if (!known || std::abs(moved) < kClockStepMs) return;
    print(QStringLiteral("Clock set %1 by %2 s")
              .arg(moved < 0 ? QStringLiteral("back") : QStringLiteral("forward"))
              .arg((std::abs(moved) + 500) / 1000));
    // Set back, the planned call would lie far ahead: plan it afresh on the new clock. Set
    // forward, a call now past is made at once and no other is made up.
    if (moved < 0 && state_ == kWaitCall) plan_next_call();
}

bool DialoutCall::port_lost() {
    if (!modem_.is_open()) return false;
    const std::string fault = port_.fault();
    if (fault.empty()) return false;
    // Said once: the port is closed now, and the next scheduled call opens it again.
    print(QStringLiteral("Modem port lost (%1): call abandoned").arg(QString::fromStdString(fault)));
    modem_.close_port();
    return true;
}

int DialoutCall::step() {
    advance();
    return wait_budget_ms();
}

void DialoutCall::advance() {
    modem_.read_step();
    watch_clock();
    if (port_lost()) {
        state_ = kPlanSchedule;
        return;
    }
    const bool new_line = modem_.line_counter() != seen_lines_;
    seen_lines_ = modem_.line_counter();
    const bool long_line = modem_.long_line_counter() != seen_long_lines_;
    seen_long_lines_ = modem_.long_line_counter();
    const int from = state_;
    if (long_line && from == kWaitRecords) {
        // The record it held was lost with it: asked for again by the next call.
        state_ = end_call_at(services_.settings().record, QStringLiteral("Over-long record line not stored"));
        return;
    }
    int next = act(from, new_line);
    // A deadline ends a wait even when the answer came in the same step.
    if (waits_for_answer(from) && next != kAbort && long_deadline_ < tick()) next = kAbort;
    state_ = next;
}

int DialoutCall::act(int state, bool new_line) {
    const QString& line = modem_.received_text();
    // The modem says the line dropped: nothing more comes from the logger in this call.
    if (new_line && state >= kWaitConnect && state <= kWaitRecords &&
        line.contains(QLatin1String("NO CARRIER")))
        return kAbort;
    const DialoutSettings settings = services_.settings();
    switch (state) {
        case kPlanSchedule:
            plan_next_call();
            return kWaitCall;
        case kWaitCall:
            return next_call_ms_ >= 0 && next_call_ms_ < clock_.wall_ms() ? kOpen : kWaitCall;
        case kOpen:
            print(QStringLiteral("Connecting..\r\n"), true);
            modem_.open_port(settings.comport, services_.workspace_root());
            // The link printed why; the next scheduled call tries again.
            return modem_.is_open() ? kReset : kPlanSchedule;
        case kReset:
            return send_then("ATZ\r\n", short_deadline_, kResetPauseMs, kResetPause);
        case kDial:
            return send_then("ATDT " + settings.dial.toLatin1() + "\r\n", long_deadline_, kConnectMs,
                             kWaitConnect);
        case kWaitConnect:
            return new_line && line.contains(QLatin1String("CONNECT")) ? kGreet : kWaitConnect;
        case kGreet:
            return send_then("\r\nHELLO\r\n", long_deadline_, kAnswerMs, kWaitGreeting);
        case kWaitGreeting:
            return new_line && line.contains(QLatin1String("HI THERE")) ? kAskFirst : kWaitGreeting;
        case kAskFirst:
            return send_then("STARTREC?\r\n", long_deadline_, kAnswerMs, kWaitFirst);
        case kWaitFirst:
            return new_line && read_record_number(line, first_record_) ? kAskLast : kWaitFirst;
        case kAskLast:
            return send_then("LASTREC?\r\n", long_deadline_, kAnswerMs, kWaitLast);
        case kWaitLast:
            return new_line && read_record_number(line, last_record_) ? kSetClock : kWaitLast;
        case kSetClock:
            return send_then("CLOCK_UTCS=" + QByteArray::number(qint64(clock_.wall_seconds())) + "\r\n",
                             short_deadline_, kClockPauseMs, kClockPause);
        case kPlan:
            return plan_batch_step();
        case kPlanned:
            return kDownload;
        case kDownload:
            batch_lines_ = 0;
            return send_then("DOWNLD " + QByteArray::number(settings.record) + ' ' +
                                 QByteArray::number(batch_count_) + ' ' +
                                 QByteArray::number(settings.columns) + "\r\n",
                             long_deadline_, kFirstRecordMs, kWaitRecords);
        case kWaitRecords:
            return new_line ? store_line() : kWaitRecords;
        case kAbort:
            print(QStringLiteral("Abort..\r\n"), true);
            return kHangUp;
        case kHangUp:
            short_deadline_ = tick() + kGuardMs;
            return kWaitSilence;
        case kEscape:
            return send_then("+++", short_deadline_, kGuardMs, kWaitEscape);
        case kHangUpCommand:
            return send_then("ATH", short_deadline_, kGuardMs, kWaitHangUp);
        case kClose:
            modem_.close_port();
            return kPlanSchedule;
        case kResetPause:
        case kClockPause:
        case kWaitSilence:
        case kWaitEscape:
        case kWaitHangUp:
            if (short_deadline_ >= tick()) return state;
            switch (state) {
                case kResetPause:
                    return kDial;
                case kClockPause:
                    return kPlan;
                case kWaitSilence:
                    return kEscape;
                case kWaitEscape:
                    return kHangUpCommand;
                default:
                    return kClose;
            }
        default:
            return state;
    }
}

int DialoutCall::plan_batch_step() {
    const BatchPlan plan = plan_batch(services_.settings().record, first_record_, last_record_);
    for (const QString& message : plan.messages) print(message);
    switch (plan.outcome) {
        case BatchPlan::kRestart:
            services_.set_record(plan.record, true);
            return kPlan;
        case BatchPlan::kNoData:
            return kAbort;
        case BatchPlan::kDownload:
            break;
    }
    services_.set_record(plan.record, false);
    batch_count_ = plan.batch_count;
    return kPlanned;
}

int DialoutCall::end_call_at(int record, const QString& why) {
    print(why + QStringLiteral(": the call ends; the next call goes on after record %1").arg(record));
    return kAbort;
}

int DialoutCall::store_line() {
    const QString& line = modem_.received_text();
    DownloadedRecord record;
    // A modem message or noise between the records is no record: it neither fills the columns
    // nor counts as downloaded, so the next call still asks for the record it stands for.
    if (!DownloadedRecord::parse(line, record)) {
        print(QStringLiteral("Not a record, ignored: ") + line);
        return kWaitRecords;
    }
    const DialoutSettings settings = services_.settings();
    const int last = settings.record;
    // A line cut by a lost carrier, or a short one, would fill the columns with nothing: the
    // record is fetched again by the next call.
    const int fields = int(line.count(QLatin1Char(','))) + 1;
    if (fields < settings.columns)
        return end_call_at(
            last,
            QStringLiteral("Record line with %1 of %2 fields not stored").arg(fields).arg(settings.columns));
    bool ok = false;
    const int number = record.number.trimmed().toInt(&ok);
    if (!ok) return end_call_at(last, QStringLiteral("Record number %1 not readable").arg(record.number));
    // Each line the logger sends is counted, stored or not: the batch ends as it was asked.
    ++batch_lines_;
    long_deadline_ = tick() + kAnswerMs;
    const int after_line = batch_lines_ >= batch_count_ ? kPlan : kWaitRecords;
    if (number <= last) {
        print(QStringLiteral("Record %1 came again: dropped").arg(number));
        return after_line;
    }
    if (number > last + 1)
        print(QStringLiteral("WARNING - GAP IN LOGFILE: records %1 to %2 are no longer held by the logger")
                  .arg(last + 1)
                  .arg(number - 1));

    RecordSink& records = services_.records();
    // The record counts as downloaded only once its line is in the log.
    if (!records.add_transfer(record, settings.columns))
        return end_call_at(last, QStringLiteral("The log file cannot be written"));
    services_.set_record(number, true);
    records.show_values();
    services_.record_added();
    // Past a gap the logger sends fewer lines than asked: plan again from the new last record.
    return number > last + 1 ? kPlan : after_line;
}

int DialoutCall::wait_budget_ms() const {
    const std::int64_t now = tick();
    if (state_ == kIdle) return kMaxBudgetMs;
    if (state_ == kWaitCall)
        return next_call_ms_ < 0 ? kMaxBudgetMs : budget_until(next_call_ms_, clock_.wall_ms());
    if (waits_for_pause(state_)) return budget_until(short_deadline_, now);
    if (waits_for_answer(state_)) return budget_until(long_deadline_, now);
    return 0;
}
