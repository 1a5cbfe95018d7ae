// libFuzzer target: any byte string as a formula expression. The evaluator must stay inside its
// buffer, its stacks and the column values, and give the same result for the same text.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "variables/formula_evaluator.h"

namespace {

bool same_bits(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<float> full = [] {
        std::vector<float> v(255);
        for (int i = 0; i < 255; ++i) v[i] = float(i) * 0.5f - 20.0f;
        v[4] = NAN;
        v[5] = INFINITY;
        v[6] = -INFINITY;
        v[7] = 3.4e38f;
        return v;
    }();
    // A heap copy of exactly `size` bytes, so that reading past the input is caught.
    std::vector<char> text(data, data + size);
    const int length = int(size);
    const float a = evaluate_expression(text.data(), length, ColumnValues(full));
    const float b = evaluate_expression(text.data(), length, ColumnValues(full));
    if (!same_bits(a, b)) std::abort();
    // A short list: references beyond it read 0 and never touch memory past its end.
    std::vector<float> short_list(full.begin(), full.begin() + 3);
    (void)evaluate_expression(text.data(), length, ColumnValues(short_list.data(), int(short_list.size())));
    return 0;
}
