#include "sim/sim_bus.h"

#include <cstdio>

std::string visible_bytes(const std::string& bytes) {
    std::string shown;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            shown += "<CR>";
        } else if (c == '\n') {
            shown += "<LF>";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<0x%02X>", byte);
            shown += hex;
        } else {
            shown.push_back(c);
        }
    }
    return shown;
}

SimBus::SimBus(const SimConfig& config) : mode_(config.mode) {
    sensors_.reserve(config.sensors.size());
    for (const auto& sensor : config.sensors) sensors_.emplace_back(sensor);
}

SimSensor* SimBus::sensor(char address) {
    for (auto& sensor : sensors_)
        if (sensor.address() == address) return &sensor;
    return nullptr;
}

bool SimBus::accepting() const {
    return mode_ == BusMode::Rs485 ? prefixed_ : awake_ || always_awake_;
}

void SimBus::reset_command() {
    command_.clear();
    swallow_echo_ = false;
    prefixed_ = false;
}

void SimBus::echo(char c, std::int64_t now_ms) {
    line_.send(std::string(1, c), static_cast<double>(now_ms));
}

void SimBus::receive_break(std::int64_t /*now_ms*/) {
    reset_command();
    if (mode_ == BusMode::Sdi12) awake_ = true;
}

void SimBus::receive_byte(std::uint8_t byte, std::int64_t now_ms) {
    // 7 data bits on the line; a pty hands over the parity bit's place unchanged.
    const char c = static_cast<char>(byte & 0x7F);
    if (mode_ == BusMode::Rs485 && c == '%') {
        reset_command();
        prefixed_ = true;
        echo(c, now_ms);
        return;
    }
    if (c == '\r' || c == '\n') {
        if (!swallow_echo_) echo(c, now_ms);
        reset_command();
        return;
    }
    if (command_.empty()) {
        // The address decides whether the echo is swallowed, from the address on.
        const SimSensor* addressed = accepting() ? sensor(c) : nullptr;
        swallow_echo_ = addressed != nullptr && addressed->swallows_echo(faults_enabled_);
    }
    if (!swallow_echo_) echo(c, now_ms);
    command_.push_back(c);
    if (c == '!')
        finish_command(now_ms);
    else if (command_.size() > kMaxCommandLength)
        reset_command();
}

void SimBus::finish_command(std::int64_t now_ms) {
    const SimCommand command = SimCommand::parse(command_);
    const bool accepted = accepting();
    reset_command();
    const bool was_awake = awake_ || always_awake_;
    awake_ = false;
    if (!accepted) {
        observe(command.text, mode_ == BusMode::Rs485 ? "ignored: no \"%\" before it"
                              : was_awake             ? "ignored"
                                                      : "ignored: no break before it");
        return;
    }
    SimSensor* addressed = sensor(command.address);
    if (addressed == nullptr) {
        observe(command.text, "no sensor");
        return;
    }
    if (command.kind == SimCommand::Kind::ChangeAddress && command.new_address != command.address &&
        sensor(command.new_address) != nullptr) {
        // Two sensors on one address would only garble each other: the change is refused.
        observe(command.text, "no answer: another sensor has that address");
        return;
    }
    const SensorAnswer answer = addressed->answer(command, faults_enabled_);
    const double echo_end = line_.send(std::string(), static_cast<double>(now_ms));
    const double answer_end = line_.send(answer.text, echo_end + answer.delay_ms);
    if (!answer.service_request.empty())
        line_.send(answer.service_request, answer_end + answer.service_request_ms);

    if (answer.text.empty()) {
        observe(command.text, "no answer");
        return;
    }
    std::string outcome = visible_bytes(answer.text);
    if (answer.delay_ms > 0) outcome += " (after " + std::to_string(answer.delay_ms) + " ms)";
    if (!answer.service_request.empty())
        outcome += ", then " + visible_bytes(answer.service_request) + " after " +
                   std::to_string(answer.service_request_ms) + " ms";
    observe(command.text, outcome);
}

void SimBus::observe(const std::string& command, const std::string& outcome) {
    if (observer_) observer_(visible_bytes(command) + " -> " + outcome);
}
