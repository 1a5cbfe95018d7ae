#include "core/data_answer.h"

#include "link/number_text.h"

namespace {

constexpr int kSignSearchLength = 10;
constexpr int kMaxTokenLength = 16;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
bool is_sign(char c) {
    return c == '+' || c == '-';
}

// Length of the number token starting at `from`.
int token_length(const QByteArray& line, int from) {
    int n = 0;
    while (from + n < line.size() && n < kMaxTokenLength) {
        const char c = line[from + n];
        const bool accepted = (n == 0 && is_sign(c)) || is_digit(c) || c == '.' || (n > 0 && c == 'E') ||
                              (n > 0 && is_sign(c) && line[from + n - 1] == 'E');
        if (!accepted) break;
        ++n;
    }
    return n;
}

}  // namespace

std::vector<float> split_data_answer(const QByteArray& line) {
    std::vector<float> values;
    int pos = 0;
    for (int i = 0; i < line.size() && i < kSignSearchLength; ++i) {
        if (is_sign(line[i])) {
            pos = i;
            break;
        }
    }
    while (pos < line.size()) {
        const int n = token_length(line, pos);
        if (n == 0) break;
        // The longest number at the start of the token counts, as strtof reads it under the "C"
        // locale ("+" alone or "." alone read as 0, "1.2.3" as 1.2), whatever the user's locale.
        const char* token = line.constData() + pos;
        values.push_back(read_float_prefix(token, token + n));
        pos += n;
    }
    return values;
}
