#pragma once

#include <string>
#include <vector>

#include "sim/sensor_config.h"

// What reading a simulator configuration gave: the bus, and one message per mistake
// ("sim.conf:12: unknown key \"foo\""). With any message the configuration is not to be used.
// Plain data; any thread.
struct SimConfigResult {
    SimConfig config;
    std::vector<std::string> errors;
    bool ok() const { return errors.empty(); }
};

// Reads the simulator's configuration text: global keys, then one [sensor] block per sensor
// (the format is explained by sim_config_format_help()). `source` names the text in messages.
SimConfigResult parse_sim_config(const std::string& text, const std::string& source = "config");
// The same for a file.
SimConfigResult load_sim_config(const std::string& path);

// The configuration format, as veld-sim --help explains it.
const char* sim_config_format_help();
