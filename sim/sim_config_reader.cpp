#include "sim/sim_config_reader.h"

#include <QFile>
#include <set>

#include "sim/sim_command.h"

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool parse_int(const std::string& text, int low, int high, int* value) {
    if (text.empty() || text.size() > 9) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    const int number = std::stoi(text);
    if (number < low || number > high) return false;
    *value = number;
    return true;
}

// "m_seconds" gives set 0, "m3_seconds" set 3; likewise "values" and "values3".
bool measurement_key(const std::string& key, const std::string& prefix, const std::string& suffix, int* set) {
    if (key.size() < prefix.size() + suffix.size() || key.compare(0, prefix.size(), prefix) != 0 ||
        key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string middle = key.substr(prefix.size(), key.size() - prefix.size() - suffix.size());
    if (middle.empty()) {
        *set = 0;
        return true;
    }
    return middle.size() == 1 && middle[0] >= '1' && middle[0] <= '9' && (*set = middle[0] - '0', true);
}

class Reader {
  public:
    Reader(const std::string& source, SimConfigResult& result) : source_(source), result_(result) {}

    void read(const std::string& text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            auto end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            ++line_number_;
            read_line(trimmed(text.substr(start, end - start)));
            start = end + 1;
        }
        check_sensors();
    }

  private:
    void error(const std::string& message) {
        result_.errors.push_back(source_ + ":" + std::to_string(line_number_) + ": " + message);
    }

    void read_line(const std::string& line) {
        if (line.empty() || line[0] == '#' || line[0] == ';') return;
        if (line[0] == '[') {
            if (line == "[sensor]") {
                result_.config.sensors.emplace_back();
                result_.config.sensors.back().address = 0;
                sensor_lines_.push_back(line_number_);
            } else {
                error("unknown section " + line + " (only [sensor])");
            }
            return;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            error("expected KEY = VALUE: \"" + line + "\"");
            return;
        }
        const std::string key = trimmed(line.substr(0, equals));
        std::string value = trimmed(line.substr(equals + 1));
        // Double quotes keep blanks at the ends (an identification may end in blanks).
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (result_.config.sensors.empty())
            read_global(key, value);
        else
            read_sensor(result_.config.sensors.back(), key, value);
    }

    void read_global(const std::string& key, const std::string& value) {
        if (key != "bus") {
            error("unknown key \"" + key + "\" before the first [sensor] (only bus)");
        } else if (value == "sdi12") {
            result_.config.mode = BusMode::Sdi12;
        } else if (value == "rs485") {
            result_.config.mode = BusMode::Rs485;
        } else {
            error("bus is sdi12 or rs485, not \"" + value + "\"");
        }
    }

    void read_sensor(SensorConfig& sensor, const std::string& key, const std::string& value) {
        int number = 0;
        int set = 0;
        std::string message;
        if (key == "address") {
            if (value.size() == 1 && is_sdi12_address(value[0]))
                sensor.address = value[0];
            else
                error("an address is one character 0-9, a-z or A-Z, not \"" + value + "\"");
        } else if (key == "id") {
            sensor.identification = value;
        } else if (key == "seed") {
            if (parse_int(value, 0, 999999999, &number))
                sensor.seed = static_cast<std::uint32_t>(number);
            else
                error("seed is a whole number");
        } else if (measurement_key(key, "m", "_seconds", &set) ||
                   measurement_key(key, "c", "_seconds", &set)) {
            if (!parse_int(value, 0, 999, &number)) {
                error(key + " is a whole number of seconds from 0 to 999");
                return;
            }
            auto& measurement = sensor.measurements[static_cast<std::size_t>(set)];
            measurement.defined = true;
            (key[0] == 'm' ? measurement.m_seconds : measurement.c_seconds) = number;
        } else if (measurement_key(key, "values", "", &set)) {
            auto& measurement = sensor.measurements[static_cast<std::size_t>(set)];
            measurement.defined = true;
            measurement.values.clear();
            for (const auto& item : ValuePattern::split_list(value)) {
                auto pattern = ValuePattern::parse(item, &message);
                if (!pattern) {
                    error(key + ": " + message);
                    return;
                }
                measurement.values.push_back(*pattern);
            }
            if (measurement.values.size() > 9)
                error(key + ": at most 9 values (aM! counts them in one digit)");
        } else if (key.compare(0, 7, "option.") == 0) {
            read_option(sensor, key.substr(7), SensorOption::Access::ReadWrite, value);
        } else if (key.compare(0, 6, "label.") == 0) {
            read_option(sensor, key.substr(6), SensorOption::Access::ReadOnly, value);
        } else if (key.compare(0, 8, "command.") == 0) {
            read_option(sensor, key.substr(8), SensorOption::Access::WriteOnly, value);
        } else if (key == "fault") {
            if (!sensor.faults.set_kinds(value, &message)) error(message);
        } else if (key == "late_ms") {
            if (parse_int(value, 0, 600000, &number))
                sensor.faults.late_ms = number;
            else
                error("late_ms is a whole number of milliseconds up to 600000");
        } else if (key == "garbage_count") {
            if (parse_int(value, 1, 10000, &number))
                sensor.faults.garbage_count = number;
            else
                error("garbage_count is a whole number from 1 to 10000");
        } else if (key == "long_line_length") {
            if (parse_int(value, 1, 100000, &number))
                sensor.faults.long_line_length = number;
            else
                error("long_line_length is a whole number from 1 to 100000");
        } else if (key == "other_address") {
            if (value.size() == 1 && is_sdi12_address(value[0]))
                sensor.faults.other_address_char = value[0];
            else
                error("other_address is one character 0-9, a-z or A-Z");
        } else {
            error("unknown key \"" + key + "\"");
        }
    }

    void read_option(SensorConfig& sensor, const std::string& name, SensorOption::Access access,
                     const std::string& value) {
        if (name.empty() || name.find_first_of("!=") != std::string::npos) {
            error("an option name is not empty and holds no \"!\" or \"=\"");
            return;
        }
        if (value.find('!') != std::string::npos) {
            error("an option value holds no \"!\"");
            return;
        }
        sensor.options[name] = SensorOption{access, value};
    }

    void check_sensors() {
        std::set<char> addresses;
        for (std::size_t i = 0; i < result_.config.sensors.size(); ++i) {
            const auto& sensor = result_.config.sensors[i];
            line_number_ = sensor_lines_[i];
            if (sensor.address == 0)
                error("this [sensor] has no address");
            else if (!addresses.insert(sensor.address).second)
                error(std::string("a second sensor at address ") + sensor.address);
        }
    }

    std::string source_;
    SimConfigResult& result_;
    int line_number_ = 0;
    std::vector<int> sensor_lines_;
};

}  // namespace

SimConfigResult parse_sim_config(const std::string& text, const std::string& source) {
    SimConfigResult result;
    Reader(source, result).read(text);
    return result;
}

SimConfigResult load_sim_config(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        SimConfigResult result;
        result.errors.push_back(path + ": cannot be read (" + file.errorString().toStdString() + ")");
        return result;
    }
    return parse_sim_config(file.readAll().toStdString(), path);
}

const char* sim_config_format_help() {
    return R"(Configuration file
  A text file of KEY = VALUE lines. Blank lines and lines starting with "#" or ";"
  are ignored. Blanks around a value are dropped; a value in double quotes keeps
  them (id = "13ACME   SENSOR  "). Global keys come first, then one [sensor] block
  per sensor.

  bus = sdi12 | rs485      how commands arrive (default sdi12; --rs485 overrides)

  [sensor]
  address = 0              the bus address: one character 0-9, a-z or A-Z (required)
  id = 13VELDINSTTH100 100SN0001
                           aI! answers the address followed by this text
  m_seconds = 1            ttt answered to aM!; the service request follows after it
  c_seconds = 1            ttt answered to aC! (default: m_seconds)
  values = 21.50 ramp(0.2, 0.2, 5) cycle(270, 265, 280)
                           the values of aM!/aC!, blank-separated patterns:
                             21.50              a fixed value
                             ramp(B, S)         B + S x k, where k counts the sensor's
                                                measurements (aM and aC), 0 for the first
                             ramp(B, S, P)      the same with k taken modulo P
                             cycle(V1, V2, ...) V1, V2, ... in turn, one per measurement
                           written with their sign and as many decimals as the pattern's
                           numbers show ("+21.50"); at most 9 values
  m1_seconds, c1_seconds, values1 ... m9_seconds, c9_seconds, values9
                           the same for aM1!/aC1! to aM9!/aC9!; a set without them
                           answers a0000 (aM) or a00000 (aC)
  option.NAME = VALUE      an option: aXRNAME! answers a + VALUE, aXWNAME=V! stores V
                           and answers a + V
  label.NAME = VALUE       a read-only option: reads as above, writes get no answer
  command.NAME = ANSWER    a write-only option: aXWNAME=anything! answers a + ANSWER,
                           reads get no answer
  fault = none             faults, several may be named (see Faults)
  late_ms = 2000           delay of the late fault
  garbage_count = 12       number of garbage bytes
  long_line_length = 300   length of the long line (address to padding, CR LF excluded)
  other_address = 5        the address of the other-address fault (default: the next
                           address after the sensor's own: 0-9, then a-z)
  seed = 1                 seed of the garbage bytes (default: from the address)

Faults (per sensor with "fault = ...", or for all sensors with --fault)
  none           answers normally
  silent         never answers (the interface still echoes the command)
  late           the answer starts late_ms after the command's echo; a service request
                 still follows ttt seconds after the answer
  garbage        garbage_count random bytes (7-bit, never CR or LF) before the answer
  garbage-only   the random bytes instead of the answer (no line end at all)
  long-line      the answer is padded with "#" before its CR LF to long_line_length
                 characters, so the recorder's line passes 250 characters
  other-address  the echo of the command is swallowed from the address on and the answer
                 (and a later service request) starts with the other address, as if that
                 sensor had answered: with other_address = 5 the recorder's line is
                 "513VELD..." instead of "0I!013VELD...". In RS485 mode the "%" is
                 still echoed, so the line is "%513VELD...", with the address where the
                 recorder looks for it.
  Faults combine: garbage comes before a padded answer, the late delay applies to both.
  "silent" wins over all others. Faults touch answers only, never the echo, except
  other-address.
)";
}
