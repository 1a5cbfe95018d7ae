#pragma once

#include <string>

// Simulated buses used by the core's tests.
namespace sim_configs {

// One temperature/humidity sensor at address 3 with fixed values and options.
inline const std::string kOneSensor = R"(
[sensor]
address = 3
id = 13VELDINSTTH100 100SN0003
m_seconds = 0
values = 21.50 45.2
option.AVG = +12.5
option.UNIT = C
label.SN = SN0003
)";

// Sensors at 0, 3 and b.
inline const std::string kThreeSensors = R"(
[sensor]
address = 0
id = 13VELDINSTTH100 100SN0001
m_seconds = 1
values = 21.50 45.2
[sensor]
address = 3
id = 13VELDINSTWIND20100SN0003
m_seconds = 0
values = 4.5 270
[sensor]
address = b
id = 13VELDINSTRAIN10100SN000B
c_seconds = 1
values = 0.2 12.5 3.30
)";

}  // namespace sim_configs
