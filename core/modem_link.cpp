#include "core/modem_link.h"

#include <utility>

ModemLink::ModemLink(SerialLink& port, Printer print) : port_(port), print_(std::move(print)) {}

void ModemLink::open_port(int port_number, const std::string& workspace_root) {
    if (port_number < 0) {
        close_port();
        return;
    }
    const OpenResult result = port_.open(port_device_name(port_number, workspace_root), kModemLineSettings);
    // Both messages can follow each other: a port that did not open took no settings either.
    if (!result.opened) print_(QStringLiteral("File Error %1").arg(result.error_code), false);
    if (!result.settings_ok) print_(QStringLiteral("DCB error"), false);
    const std::string in_use = port_in_use_text(port_number, result);
    if (!in_use.empty()) print_(QString::fromStdString(in_use), false);
}

void ModemLink::close_port() {
    port_.close();
    // A line cut by the closing is not the start of the next call's first line.
    partial_.clear();
    dropping_long_line_ = false;
}

bool ModemLink::is_open() const {
    return port_.is_open();
}

void ModemLink::write_text(const QByteArray& text) {
    for (const char c : text) port_.write_byte(static_cast<std::uint8_t>(c));
}

void ModemLink::read_step() {
    if (!port_.is_open()) return;
    if (partial_.size() > kOverflowLength) {
        print_(QStringLiteral("Input Overflow Error"), false);
        partial_.clear();
        // The rest of that line is no line of its own: it is dropped up to its line end.
        dropping_long_line_ = true;
        ++long_line_counter_;
    }
    std::uint8_t byte;
    if (!port_.read_byte(byte)) return;
    if (dropping_long_line_) {
        ++byte_total_;
        if (byte != '\r' && byte != '\n') return;
        dropping_long_line_ = false;
        return;
    }
    if (byte == '\r' || byte == '\n') {
        // Modems end lines with CR LF and send empty lines between answers: those carry nothing.
        if (partial_.isEmpty()) return;
        print_(QString(), false);
        received_ = QString::fromLatin1(partial_);
        partial_.clear();
        ++line_counter_;
        return;
    }
    partial_.append(static_cast<char>(byte));
    print_(QString(QLatin1Char(static_cast<char>(byte))), true);
    ++byte_total_;
}
