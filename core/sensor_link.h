#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "link/clock.h"
#include "link/serial_link.h"

// Communication modes as stored in config.xml.
enum class CommMode : int { Sdi12 = 0, Rs485 = 1, Modem = 2, FileRemote = 3 };

// The sensor-bus profile of the serial link: opens a COM port with the SDI-12 line settings,
// sends one command at a time (wake-up, then byte by byte), reads one byte per call and
// assembles the bytes into lines, mirroring every received byte on the console stream.
// Thread: the acquisition core's worker thread (wake() from any thread).
class SensorLink {
  public:
    // Prints a console text; raw texts are single received characters, others get "\r\n".
    using Printer = std::function<void(const QString& text, bool raw)>;

    static constexpr int kOverflowLength = 250;  // partial line length before "Input Overflow Error"
    static constexpr int kWakeupMs = 12;         // break length, marking after it, pause before "%"

    SensorLink(SerialLink& port, Clock& clock, Printer print);

    // Closes an open port, then opens COM port `port_number` (see port_device_name). Reports
    // "File Error %d" and "DCB error" on the console; never throws. A port that does not open is
    // lost from then on (said with its device and the reason), until reopen() finds it.
    void open_port(int port_number, const std::string& workspace_root);
    bool is_open() const;

    // A port that stopped working (a pulled adapter, a peer that hung up) or never opened is
    // closed and said once on the console; it stays lost until reopen() finds it again.
    bool lost() const { return lost_; }
    QString loss_reason() const { return loss_reason_; }
    // Tries the device that was lost once more, quietly; says when it is back.
    bool reopen();

    // SDI-12 mode: 12 ms break, 12 ms marking. Other modes: 12 ms pause, then "%".
    // Then the command bytes one write each, up to the end or the first CR or LF.
    void send_command(const QByteArray& command, CommMode mode);

    // Reads at most one byte and updates the partial line, the complete line and the counters.
    void read_step();

    int line_counter() const { return line_counter_; }
    int byte_counter() const { return byte_counter_; }
    void reset_counters();
    void clear_partial_line() { partial_.clear(); }
    // Before a command: bytes that came before it answer nothing the core will wait for (a
    // service request left over from an earlier measurement, line noise). Drops them and the
    // partial line, and says what was dropped.
    void drop_stale_input();
    const QByteArray& partial_line() const { return partial_; }
    // The last finished line, without its LF (a CR before the LF stays).
    const QByteArray& complete_line() const { return complete_; }

    // Waits for a byte, a wake() or the timeout; see SerialLink::wait_readable.
    bool wait_readable(int timeout_ms) { return port_.wait_readable(timeout_ms); }
    void wake() { port_.wake(); }

  private:
    void check_port();

    SerialLink& port_;
    Clock& clock_;
    Printer print_;
    QByteArray partial_;
    QByteArray complete_;
    int line_counter_ = 0;
    int byte_counter_ = 0;
    int port_number_ = 0;
    std::string device_;
    bool lost_ = false;
    QString loss_reason_;
};
