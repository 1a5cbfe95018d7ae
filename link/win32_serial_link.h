#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "link/serial_link.h"

// The serial port through Win32 communications: the profile's device-control block, read
// time-outs that make every read return at once, and a wait that another thread can end early.
// Thread: owned and used by one worker thread; wake() may be called from any thread.
class Win32SerialLink final : public SerialLink {
  public:
    Win32SerialLink();
    ~Win32SerialLink() override;
    Win32SerialLink(const Win32SerialLink&) = delete;
    Win32SerialLink& operator=(const Win32SerialLink&) = delete;

    OpenResult open(const std::string& name, const LineSettings& settings) override;
    void close() override;
    bool is_open() const override { return handle_ != INVALID_HANDLE_VALUE; }

    bool write_byte(std::uint8_t byte) override;
    bool read_byte(std::uint8_t& byte) override;
    void set_break(bool on) override;

    bool wait_readable(int timeout_ms) override;
    void wake() override;
    std::string fault() const override { return fault_; }

  private:
    bool apply_settings(const LineSettings& settings);
    bool byte_waiting();

    void note_failure();

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::string fault_;
    // Auto-reset event set by wake(); created once, so wake() never races with close().
    HANDLE wake_event_ = nullptr;
};
