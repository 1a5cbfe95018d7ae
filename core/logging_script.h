#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <utility>
#include <vector>

#include "devices/device_list.h"

// The logging script built from the logging entries of all devices, and what building it
// decided about the columns. Plain data, built on any thread.
struct LoggingScript {
    std::vector<QByteArray> lines;
    std::vector<std::pair<int, QString>> labels;  // (column, variable label) in build order
    std::array<int, DeviceList::kSlots> end_columns{};
};

// Builds the script from the device slots in address order: for each slot with a definition,
// each logging entry adds "CELL n" for a cell offset, a label "Title(a)" for a title (advancing
// the column), and its command with a leading "a" replaced by the address. Pure.
LoggingScript build_logging_script(const std::array<idev, DeviceList::kSlots>& all);
