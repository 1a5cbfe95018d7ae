#include "widgets/column_widths.h"

#include <algorithm>

namespace column_widths {

std::array<int, 6> device_table(int viewport_width) {
    const int shared = std::max(0, viewport_width - 100);
    return {shared * 20 / 570, shared * 200 / 570, shared * 300 / 570, shared * 50 / 570, 50, 50};
}

std::vector<int> weighted(int viewport_width, const std::vector<int>& weights) {
    constexpr std::size_t kMaxWeights = 9;
    std::vector<int> used;
    for (int w : weights) {
        if (w < 1 || used.size() == kMaxWeights) break;
        used.push_back(w);
    }
    int sum = 0;
    for (int w : used) sum += w;
    std::vector<int> widths;
    for (int w : used) widths.push_back(std::max(0, viewport_width) * w / sum);
    return widths;
}

}  // namespace column_widths
