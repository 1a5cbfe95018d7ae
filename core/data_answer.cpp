#include "core/data_answer.h"

#include <cstdlib>

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
        // strtof reads the longest number at the start of the token, as the C library always did
        // for these answers ("+" alone or "." alone read as 0).
        const QByteArray token = line.mid(pos, n);
        values.push_back(std::strtof(token.constData(), nullptr));
        pos += n;
    }
    return values;
}
