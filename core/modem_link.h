#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <string>

#include "link/serial_link.h"

// The modem profile of the serial link, used by the remote-logger download: opens a COM port at
// 9600 8N1, writes whole texts, reads one byte per call and assembles non-empty lines (CR or LF
// ends a line), mirroring every received byte on the console stream. A line longer than
// kOverflowLength is said and dropped whole, never cut into lines of its own.
// Thread: the remote logger's worker thread (wake() from any thread).
class ModemLink {
  public:
    // Prints a console text; raw texts are single received characters, others get "\r\n".
    using Printer = std::function<void(const QString& text, bool raw)>;

    static constexpr int kOverflowLength = 8190;  // partial line length before "Input Overflow Error"

    ModemLink(SerialLink& port, Printer print);

    // Closes an open port, then opens COM port `port_number` (see port_device_name); a negative
    // number only closes. Reports "File Error %d" and "DCB error" on the console; never throws.
    void open_port(int port_number, const std::string& workspace_root);
    void close_port();
    bool is_open() const;

    // Writes every byte of the text, one write each; no wake-up, no line end added.
    void write_text(const QByteArray& text);

    // Reads at most one byte and updates the partial line, the received text and the counters.
    void read_step();

    // The last non-empty line from the modem, without its line end.
    const QString& received_text() const { return received_; }
    void clear_received_text() { received_.clear(); }
    const QByteArray& partial_line() const { return partial_; }
    int line_counter() const { return line_counter_; }
    // Lines dropped whole because they grew longer than kOverflowLength (counted as that happens).
    int long_line_counter() const { return long_line_counter_; }
    // Every byte received since construction, line ends not counted.
    long long byte_total() const { return byte_total_; }

    // Waits for a byte, a wake() or the timeout; see SerialLink::wait_readable.
    bool wait_readable(int timeout_ms) { return port_.wait_readable(timeout_ms); }
    void wake() { port_.wake(); }

  private:
    SerialLink& port_;
    Printer print_;
    QByteArray partial_;
    QString received_;
    int line_counter_ = 0;
    int long_line_counter_ = 0;
    bool dropping_long_line_ = false;
    long long byte_total_ = 0;
};
