#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/fault_config.h"
#include "sim/value_pattern.h"

// How the simulated bus frames commands: SDI-12 (a break wakes the sensors) or RS485 (each
// command starts with "%").
enum class BusMode { Sdi12, Rs485 };

// One measurement set: aM!/aC! (set 0) or aMn!/aCn! (set n).
struct MeasurementSet {
    bool defined = false;
    int m_seconds = 0;   // ttt answered to aM!; the service request follows after that time
    int c_seconds = -1;  // ttt answered to aC!; -1: the same as m_seconds
    std::vector<ValuePattern> values;

    int concurrent_seconds() const { return c_seconds < 0 ? m_seconds : c_seconds; }
};

// An extended option, read with aXR<NAME>! and written with aXW<NAME>=<value>!.
struct SensorOption {
    enum class Access { ReadWrite, ReadOnly, WriteOnly };
    Access access = Access::ReadWrite;
    std::string value;  // the stored value; for WriteOnly the text a write answers
};

// Everything one simulated sensor is configured with. Plain data.
// Thread: any.
struct SensorConfig {
    char address = '0';
    std::string identification;  // the aI! answer after the address
    std::array<MeasurementSet, 10> measurements;
    std::map<std::string, SensorOption> options;
    FaultConfig faults;
    std::uint32_t seed = 0;  // of the garbage bytes; 0 derives one from the address
};

// A whole simulated bus.
struct SimConfig {
    BusMode mode = BusMode::Sdi12;
    std::vector<SensorConfig> sensors;
};
