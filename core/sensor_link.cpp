#include "core/sensor_link.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "core/answer_match.h"

namespace {

// Why a port did not open, and what to do about the usual causes.
QString open_failure_reason(int code) {
#ifdef _WIN32
    return QStringLiteral("system error %1").arg(code);
#else
    QString reason = QString::fromLocal8Bit(std::strerror(code));
    if (code == EACCES || code == EPERM)
        reason += QStringLiteral(
            " (the user needs to be in the dialout group: sudo adduser $USER dialout, then "
            "log in again)");
    else if (code == ENOENT)
        reason += QStringLiteral(" (is the adapter plugged in?)");
    else if (code == EBUSY)
        reason += QStringLiteral(" (another program has the port open)");
    return reason;
#endif
}

}  // namespace

SensorLink::SensorLink(SerialLink& port, Clock& clock, Printer print)
    : port_(port), clock_(clock), print_(std::move(print)) {}

void SensorLink::open_port(int port_number, const std::string& workspace_root) {
    port_number_ = port_number;
    device_ = port_device_name(port_number, workspace_root);
    lost_ = false;
    loss_reason_.clear();
    const OpenResult result = port_.open(device_, kSensorLineSettings);
    // Both messages can follow each other: a port that did not open took no settings either.
    if (!result.opened) print_(QStringLiteral("File Error %1").arg(result.error_code), false);
    if (!result.settings_ok) print_(QStringLiteral("DCB error"), false);
    if (result.opened) return;
    // A port that cannot be opened is a lost port: no command waits on it, and it is tried
    // again at every cycle start until it is back.
    lost_ = true;
    // Another Veld program (or any that locks it) holding the port is named, so it can be ended.
    const std::string in_use = port_in_use_text(port_number, result);
    loss_reason_ = in_use.empty() ? open_failure_reason(result.error_code) : QString::fromStdString(in_use);
    print_(QStringLiteral("Port COM%1 (%2) cannot be opened: %3")
               .arg(port_number_)
               .arg(QString::fromStdString(device_), loss_reason_),
           false);
}

bool SensorLink::is_open() const {
    return port_.is_open();
}

void SensorLink::check_port() {
    if (lost_) return;
    const std::string fault = port_.fault();
    if (fault.empty()) return;
    lost_ = true;
    loss_reason_ = QString::fromStdString(fault);
    port_.close();
    print_(QStringLiteral("Port COM%1 (%2) lost: %3")
               .arg(port_number_)
               .arg(QString::fromStdString(device_), loss_reason_),
           false);
}

bool SensorLink::reopen() {
    if (!lost_) return port_.is_open();
    const OpenResult result = port_.open(device_, kSensorLineSettings);
    if (!result.opened) return false;
    lost_ = false;
    loss_reason_.clear();
    partial_.clear();
    print_(QStringLiteral("Port COM%1 (%2) is back").arg(port_number_).arg(QString::fromStdString(device_)),
           false);
    if (!result.settings_ok) print_(QStringLiteral("DCB error"), false);
    return true;
}

void SensorLink::send_command(const QByteArray& command, CommMode mode) {
    if (mode == CommMode::Sdi12) {
        // SDI-12 wake-up: at least 12 ms of break, then at least 8.33 ms of marking.
        port_.set_break(true);
        clock_.sleep_ms(kWakeupMs);
        port_.set_break(false);
        clock_.sleep_ms(kWakeupMs);
    } else {
        // The RS485 interface wakes its sensors itself when a command starts with "%".
        clock_.sleep_ms(kWakeupMs);
        port_.write_byte('%');
    }
    for (const char c : command) {
        if (c == '\r' || c == '\n') break;
        if (!port_.write_byte(static_cast<std::uint8_t>(c))) break;
    }
    check_port();
}

void SensorLink::read_step() {
    if (!port_.is_open()) return;
    if (partial_.size() > kOverflowLength) {
        print_(QStringLiteral("Input Overflow Error"), false);
        partial_.clear();
    }
    std::uint8_t byte;
    if (!port_.read_byte(byte)) {
        check_port();
        return;
    }
    // 7E1: a UART strips the parity bit, a pty hands it through.
    byte &= 0x7F;
    // A break that still gets through (a driver without IGNBRK) arrives as NUL; no answer holds one.
    if (byte == 0) return;
    if (byte == '\n') {
        print_(QString(), false);
        complete_ = partial_;
        partial_.clear();
        ++line_counter_;
        return;
    }
    partial_.append(static_cast<char>(byte));
    print_(QString(QLatin1Char(static_cast<char>(byte))), true);
    ++byte_counter_;
}

void SensorLink::drop_stale_input() {
    constexpr int kMaxDropped = 4096;  // a port that never stops talking must not hold us here
    QByteArray dropped = partial_;
    partial_.clear();
    std::uint8_t byte;
    for (int i = 0; i < kMaxDropped && port_.is_open() && port_.read_byte(byte); ++i) {
        byte &= 0x7F;
        if (byte != 0) dropped.append(static_cast<char>(byte));
    }
    check_port();
    // The echo of the last command is dropped often and silently; only whole stale lines are told.
    if (dropped.contains('\n'))
        print_(QStringLiteral("Stale input dropped: ") + QString::fromLatin1(visible_line(dropped)), false);
}

void SensorLink::reset_counters() {
    line_counter_ = 0;
    byte_counter_ = 0;
}
