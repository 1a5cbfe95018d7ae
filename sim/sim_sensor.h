#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sensor_config.h"
#include "sim/sim_command.h"

// What a sensor sends for one command. The bus turns it into paced bytes.
struct SensorAnswer {
    std::string text;             // answer bytes, CR LF included; empty: no answer
    int delay_ms = 0;             // from the end of the command's echo to the answer's start
    std::string service_request;  // "a" CR LF; empty: none
    int service_request_ms = 0;   // from the end of the answer to the service request
};

// One simulated SDI-12 sensor: its address, identification, measurements, options and faults.
// Pure protocol logic: no I/O and no clock.
// Thread: whoever owns it (the bus serialises access).
class SimSensor {
  public:
    explicit SimSensor(SensorConfig config);

    char address() const { return config_.address; }
    const SensorConfig& config() const { return config_; }

    // Answers one command addressed to this sensor; `faults_on` says whether its faults apply.
    SensorAnswer answer(const SimCommand& command, bool faults_on);
    // Whether the echo of commands to this sensor is swallowed (the answer-from-another-address
    // fault: the recorder then sees a line that starts with the other address).
    bool swallows_echo(bool faults_on) const { return faults_on && config_.faults.other_address; }

    void set_faults(const FaultConfig& faults) { config_.faults = faults; }
    long measurement_count() const { return measurement_count_; }
    // The stored value of an option ("" when there is none).
    std::string option_value(const std::string& name) const;
    // The address this sensor answers as under the answer-from-another-address fault.
    char other_address() const;

  private:
    std::string plain_answer(const SimCommand& command, std::string* service_request,
                             int* service_request_ms);
    std::string measure(const SimCommand& command, std::string* service_request, int* service_request_ms);
    std::string data_line(int index) const;
    std::string garbage(int count);

    SensorConfig config_;
    long measurement_count_ = 0;
    std::vector<std::string> data_lines_;  // the last measurement's D0, D1, ... texts (no address)
    std::uint32_t random_state_;
};
