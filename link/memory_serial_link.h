#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/serial_link.h"

// A serial port in memory, for tests and the in-process simulator. It records every byte the
// recorder writes and every break change with the virtual time it happened at, and hands out
// bytes that a test or a peer fed in once their time has come.
// Thread: the owner's worker thread uses the port side; tests and peers may feed from any thread.
class MemorySerialLink final : public SerialLink {
  public:
    struct Event {
        enum Kind { Byte, BreakOn, BreakOff };
        Kind kind;
        std::uint8_t byte;
        std::int64_t at_ms;
    };
    // Sees everything the recorder sends, as it is sent (the in-process simulator listens here).
    using Peer = std::function<void(const Event&)>;

    explicit MemorySerialLink(Clock& clock);

    OpenResult open(const std::string& name, const LineSettings& settings) override;
    void close() override;
    bool is_open() const override;
    bool write_byte(std::uint8_t byte) override;
    bool read_byte(std::uint8_t& byte) override;
    void set_break(bool on) override;
    bool wait_readable(int timeout_ms) override;
    void wake() override;
    std::string fault() const override;

    // Pulls the port out (reads and writes fail, the fault says so, opens fail with ENOENT) or
    // plugs it back in, as a USB adapter would be.
    void set_gone(bool gone);

    // Bytes that become readable once the tick reaches at_ms (now when negative).
    void feed(const std::string& bytes, std::int64_t at_ms = -1);
    // Bytes paced one every per_char_ms, the first at at_ms (now when negative).
    void feed_paced(const std::string& bytes, double per_char_ms, std::int64_t at_ms = -1);
    void set_peer(Peer peer);

    // Makes the next opens fail with this platform error code (0: opens succeed).
    void set_open_error(int code);
    void set_settings_refused(bool refused);

    std::vector<Event> events() const;
    std::string written() const;  // the bytes written, without break events
    void clear_events();
    std::vector<std::string> opened_names() const;
    LineSettings last_settings() const;
    std::size_t pending_input() const;

  private:
    bool byte_ready_locked() const;

    Clock& clock_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    bool gone_ = false;
    std::string fault_;
    bool woken_ = false;
    int open_error_ = 0;
    bool settings_refused_ = false;
    LineSettings settings_{};
    std::deque<std::pair<std::int64_t, std::uint8_t>> input_;
    std::vector<Event> events_;
    std::vector<std::string> opened_names_;
    Peer peer_;
};
