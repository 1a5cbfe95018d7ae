#pragma once

#include "sim/sensor_config.h"

// The three demo sensors of the example workspace (examples/workspace/sim.conf, built in), for
// veld-sim without --config and for tests that want the demo bus.
SimConfig demo_sim_config();
// The text of that file.
const char* demo_sim_config_text();
