#pragma once

#include <array>
#include <vector>

// Column widths of the main window's tables for a given viewport width. Pure arithmetic, so the
// fitting rules can be checked without a widget.
// Thread: any.
namespace column_widths {

// Device table: the two button columns keep 50; the other four share what is left after 100.
std::array<int, 6> device_table(int viewport_width);

// Column j gets viewport_width * weight j / sum of weights. Weights are read up to the first one
// below 1, at most nine of them.
std::vector<int> weighted(int viewport_width, const std::vector<int>& weights);

// Weights of the three column tables.
inline const std::vector<int> kVariableListWeights{20, 100, 100, 50, 50};
inline const std::vector<int> kFormulaWeights{20, 100, 100, 100};
inline const std::vector<int> kAlarmWeights{50, 100, 100, 100, 100};

}  // namespace column_widths
