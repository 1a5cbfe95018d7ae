#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/paced_transmitter.h"
#include "sim/sensor_config.h"
#include "sim/sim_peer.h"
#include "sim/sim_sensor.h"

// A simulated SDI-12 (or RS485) bus behind a single-wire interface: every byte the recorder
// sends comes back as echo, paced at 1200 baud, and a complete command ("!") is answered by the
// sensor it addresses, on the same paced line. In SDI-12 mode a break wakes the sensors for one
// command; in RS485 mode a command starts with "%". Bytes and breaks come in with the time they
// happened; what goes out is taken as scheduled bytes. No I/O and no clock of its own.
// Thread: whoever owns it; the in-process bus and the pty program serialise access.
class SimBus : public SimPeer {
  public:
    // Sees one line of text per command the bus completed: the command and what it answered.
    using Observer = std::function<void(const std::string& line)>;
    static constexpr std::size_t kMaxCommandLength = 128;

    explicit SimBus(const SimConfig& config);

    BusMode mode() const { return mode_; }
    void set_mode(BusMode mode) { mode_ = mode; }
    // For links that cannot carry a break (a pty): every SDI-12 command counts as woken.
    void set_always_awake(bool on) { always_awake_ = on; }
    // Switches the configured faults of all sensors on or off (on at the start).
    void set_faults_enabled(bool on) override { faults_enabled_ = on; }
    bool faults_enabled() const override { return faults_enabled_; }
    void set_observer(Observer observer) { observer_ = std::move(observer); }

    void receive_break(std::int64_t now_ms);
    void receive_byte(std::uint8_t byte, std::int64_t now_ms) override;
    // The echo and answer bytes scheduled since the last call, in time order.
    std::vector<ScheduledByte> take_output() override { return line_.take(); }

    // The sensor now at `address`, or null.
    SimSensor* sensor(char address);
    std::vector<SimSensor>& sensors() { return sensors_; }

  private:
    bool accepting() const;
    void echo(char c, std::int64_t now_ms);
    void finish_command(std::int64_t now_ms);
    void observe(const std::string& command, const std::string& outcome);
    void reset_command();

    BusMode mode_;
    std::vector<SimSensor> sensors_;
    PacedTransmitter line_;
    Observer observer_;
    std::string command_;
    bool awake_ = false;         // SDI-12: a break came since the last command
    bool prefixed_ = false;      // RS485: the command began with "%"
    bool swallow_echo_ = false;  // the addressed sensor answers as another address
    bool always_awake_ = false;
    bool faults_enabled_ = true;
};

// Shows bus bytes readably: CR as "<CR>", LF as "<LF>", other control bytes as "<0xNN>".
std::string visible_bytes(const std::string& bytes);
