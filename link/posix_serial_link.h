#pragma once

#include "link/serial_link.h"

// The serial port through termios (Linux and macOS): raw mode, the profile's line format,
// reads that never block, and a wait on the port that another thread can end early.
// Thread: owned and used by one worker thread; wake() may be called from any thread.
class PosixSerialLink final : public SerialLink {
  public:
    PosixSerialLink();
    ~PosixSerialLink() override;
    PosixSerialLink(const PosixSerialLink&) = delete;
    PosixSerialLink& operator=(const PosixSerialLink&) = delete;

    OpenResult open(const std::string& name, const LineSettings& settings) override;
    void close() override;
    bool is_open() const override { return fd_ >= 0; }

    bool write_byte(std::uint8_t byte) override;
    bool read_byte(std::uint8_t& byte) override;
    void set_break(bool on) override;

    bool wait_readable(int timeout_ms) override;
    void wake() override;
    std::string fault() const override { return fault_; }

  private:
    bool apply_settings(const LineSettings& settings);
    void raise_modem_lines();
    void drain_wake_pipe();
    // Notes why the port failed when errno says the device is gone rather than merely busy.
    void note_failure(int error);

    int fd_ = -1;
    std::string fault_;
    // Self-pipe: wake() writes a byte to end a poll() in wait_readable. Both ends are created
    // once and stay open for the object's life, so wake() never races with close().
    int wake_read_ = -1;
    int wake_write_ = -1;
};
