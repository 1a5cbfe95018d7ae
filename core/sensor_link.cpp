#include "core/sensor_link.h"

#include <utility>

SensorLink::SensorLink(SerialLink& port, Clock& clock, Printer print)
    : port_(port), clock_(clock), print_(std::move(print)) {}

void SensorLink::open_port(int port_number, const std::string& workspace_root) {
    const OpenResult result = port_.open(port_device_name(port_number, workspace_root), kSensorLineSettings);
    // Both messages can follow each other: a port that did not open took no settings either.
    if (!result.opened) print_(QStringLiteral("File Error %1").arg(result.error_code), false);
    if (!result.settings_ok) print_(QStringLiteral("DCB error"), false);
}

bool SensorLink::is_open() const {
    return port_.is_open();
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
        port_.write_byte(static_cast<std::uint8_t>(c));
    }
}

void SensorLink::read_step() {
    if (!port_.is_open()) return;
    if (partial_.size() > kOverflowLength) {
        print_(QStringLiteral("Input Overflow Error"), false);
        partial_.clear();
    }
    std::uint8_t byte;
    if (!port_.read_byte(byte)) return;
    // 7E1: a UART strips the parity bit, a pty hands it through.
    byte &= 0x7F;
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

void SensorLink::reset_counters() {
    line_counter_ = 0;
    byte_counter_ = 0;
}
