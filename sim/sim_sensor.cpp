#include "sim/sim_sensor.h"

#include <algorithm>
#include <cstdio>

namespace {

const char kLineEnd[] = "\r\n";
// SDI-12 limits the values of one data line: 35 characters after aM!, 75 after aC!.
constexpr std::size_t kMeasureLineValues = 35;
constexpr std::size_t kConcurrentLineValues = 75;

std::string digits(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

}  // namespace

SimSensor::SimSensor(SensorConfig config)
    : config_(std::move(config)),
      random_state_(config_.seed != 0 ? config_.seed
                                      : 0x9E3779B9u ^ static_cast<std::uint8_t>(config_.address)) {}

std::string SimSensor::option_value(const std::string& name) const {
    const auto found = config_.options.find(name);
    return found == config_.options.end() ? std::string() : found->second.value;
}

char SimSensor::other_address() const {
    if (config_.faults.other_address_char != 0) return config_.faults.other_address_char;
    static const std::string order = "0123456789abcdefghijklmnopqrstuvwxyz";
    const auto at = order.find(config_.address);
    return at == std::string::npos ? '0' : order[(at + 1) % order.size()];
}

SensorAnswer SimSensor::answer(const SimCommand& command, bool faults_on) {
    SensorAnswer result;
    std::string text = plain_answer(command, &result.service_request, &result.service_request_ms);
    const FaultConfig& faults = config_.faults;
    if (!faults_on || !faults.any() || text.empty()) {
        result.text = text;
        return result;
    }
    if (faults.silent) return SensorAnswer{};
    if (faults.other_address) {
        text[0] = other_address();
        if (!result.service_request.empty()) result.service_request[0] = other_address();
    }
    if (faults.long_line) {
        // Padding goes between the answer and its line end; "#" ends any number a reader parses.
        const std::size_t body = text.size() - 2;
        const auto length = static_cast<std::size_t>(faults.long_line_length);
        if (body < length) text.insert(body, length - body, '#');
    }
    if (faults.garbage_only)
        text = garbage(faults.garbage_count);
    else if (faults.garbage)
        text = garbage(faults.garbage_count) + text;
    if (faults.late) result.delay_ms = faults.late_ms;
    result.text = text;
    return result;
}

std::string SimSensor::plain_answer(const SimCommand& command, std::string* service_request,
                                    int* service_request_ms) {
    const std::string a(1, config_.address);
    switch (command.kind) {
        case SimCommand::Kind::Acknowledge:
            return a + kLineEnd;
        case SimCommand::Kind::Identify:
            return a + config_.identification + kLineEnd;
        case SimCommand::Kind::Measure:
        case SimCommand::Kind::Concurrent:
            return measure(command, service_request, service_request_ms);
        case SimCommand::Kind::Data:
            return a + data_line(command.index) + kLineEnd;
        case SimCommand::Kind::ChangeAddress:
            config_.address = command.new_address;
            return std::string(1, config_.address) + kLineEnd;
        case SimCommand::Kind::ReadOption: {
            const auto found = config_.options.find(command.option_name);
            if (found == config_.options.end() || found->second.access == SensorOption::Access::WriteOnly)
                return {};
            return a + found->second.value + kLineEnd;
        }
        case SimCommand::Kind::WriteOption: {
            const auto found = config_.options.find(command.option_name);
            if (found == config_.options.end() || found->second.access == SensorOption::Access::ReadOnly)
                return {};
            if (found->second.access == SensorOption::Access::ReadWrite)
                found->second.value = command.option_value;
            return a + found->second.value + kLineEnd;
        }
        case SimCommand::Kind::Invalid:
        case SimCommand::Kind::Unknown:
            return {};
    }
    return {};
}

std::string SimSensor::measure(const SimCommand& command, std::string* service_request,
                               int* service_request_ms) {
    const std::string a(1, config_.address);
    const auto& set = config_.measurements[static_cast<std::size_t>(command.index)];
    const bool concurrent = command.kind == SimCommand::Kind::Concurrent;
    // A set the sensor does not have measures nothing: "a0000" (SDI-12's answer for it).
    const int seconds = !set.defined ? 0 : concurrent ? set.concurrent_seconds() : set.m_seconds;
    const int count = set.defined ? static_cast<int>(set.values.size()) : 0;

    data_lines_.clear();
    const std::size_t limit = concurrent ? kConcurrentLineValues : kMeasureLineValues;
    std::string line;
    for (const auto& pattern : set.values) {
        const std::string value = pattern.text(measurement_count_);
        if (!line.empty() && line.size() + value.size() > limit) {
            data_lines_.push_back(line);
            line.clear();
        }
        line += value;
    }
    if (!line.empty()) data_lines_.push_back(line);
    ++measurement_count_;

    if (!concurrent && seconds > 0) {
        *service_request = a + kLineEnd;
        *service_request_ms = seconds * 1000;
    }
    return a + digits(seconds, 3) + digits(count, concurrent ? 2 : 1) + kLineEnd;
}

std::string SimSensor::data_line(int index) const {
    // Past the last line (or before any measurement) a sensor answers its address alone.
    return index < static_cast<int>(data_lines_.size()) ? data_lines_[static_cast<std::size_t>(index)]
                                                        : std::string();
}

std::string SimSensor::garbage(int count) {
    std::string bytes;
    while (static_cast<int>(bytes.size()) < count) {
        // xorshift32: reproducible noise for a given seed.
        random_state_ ^= random_state_ << 13;
        random_state_ ^= random_state_ >> 17;
        random_state_ ^= random_state_ << 5;
        const auto byte = static_cast<char>(1 + random_state_ % 127);  // 7-bit, never NUL
        if (byte != '\r' && byte != '\n') bytes.push_back(byte);
    }
    return bytes;
}
