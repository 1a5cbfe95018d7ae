#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Line settings of one of the two link profiles.
struct LineSettings {
    int baud;
    int data_bits;
    bool even_parity;   // otherwise no parity
    bool parity_check;  // check parity on input
    bool transparent;   // binary (transparent-transfer) mode
};

// SDI-12 and RS485 sensor bus: 1200 baud, 7 data bits, even parity, 1 stop bit.
inline constexpr LineSettings kSensorLineSettings{1200, 7, true, true, false};
// GSM modem: 9600 baud, 8N1.
inline constexpr LineSettings kModemLineSettings{9600, 8, false, false, true};

// What opening a port did. error_code is the platform's last error when the open failed.
struct OpenResult {
    bool opened = false;
    int error_code = 0;
    bool settings_ok = false;
    // When another process holds the port: its process id and program name, where the platform
    // tells them (0 and empty otherwise).
    int holder_pid = 0;
    std::string holder_program;
};

// "COM3 is in use by veld-logger (pid 4242)" when the open failed on a port that a known
// process holds; empty otherwise.
inline std::string port_in_use_text(int port, const OpenResult& result) {
    if (result.opened || result.holder_pid <= 0) return std::string();
    const std::string program = result.holder_program.empty() ? "another program" : result.holder_program;
    return "COM" + std::to_string(port) + " is in use by " + program + " (pid " +
           std::to_string(result.holder_pid) + ")";
}

// The one small interface between the recorder and a serial port: byte-wise, never blocking
// except in wait_readable. Free of Qt so the platform implementations stay plain.
// Thread: owned and used by one worker thread; only wake() may be called from another thread.
class SerialLink {
  public:
    virtual ~SerialLink() = default;

    // Closes a port that is open, then opens `name` with the settings and non-blocking reads.
    virtual OpenResult open(const std::string& name, const LineSettings& settings) = 0;
    virtual void close() = 0;
    virtual bool is_open() const = 0;

    virtual bool write_byte(std::uint8_t byte) = 0;
    // Reads one byte when one is waiting; returns false at once otherwise.
    virtual bool read_byte(std::uint8_t& byte) = 0;
    // Holds the line in the break (spacing) condition while on.
    virtual void set_break(bool on) = 0;

    // Blocks until a byte can be read, wake() is called or timeout_ms passes. Returns true when
    // a byte is waiting. Without an open port it still honours wake() and the timeout.
    virtual bool wait_readable(int timeout_ms) = 0;
    // Ends a wait_readable in progress (or the next one) early. Safe from any thread.
    virtual void wake() = 0;

    // Why the open port stopped working (a pulled USB adapter, a peer that hung up), or empty
    // while it works. Cleared by the next open.
    virtual std::string fault() const = 0;
};

// The platform's real serial port (termios on Linux and macOS, Win32 on Windows).
std::unique_ptr<SerialLink> make_platform_serial_link();

// Device name for COM port number `port`. On Windows "COM<n>:" for 1..9 and "\\.\COM<n>" above.
// On Linux and macOS "<workspace root>Ports/COM<n>" when that link exists, else "/dev/ttyS<n-1>".
std::string port_device_name(int port, const std::string& workspace_root);

// The Windows name of COM port number `port` ("COM9:", "\\.\COM10"); pure, so it is testable anywhere.
std::string windows_port_name(int port);
