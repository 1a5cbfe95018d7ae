#include "variables/formula_tokens.h"

#include <array>
#include <cstring>

namespace formula_tokens {
namespace {

const char* const kKeywords[kKeywordCount] = {
    "LET",  "EXIT", "LIST", "NEW",   "RUN",   "CLEAR", "GOSUB", "GOTO", "RETURN", "PRINT", "FOR",
    "NEXT", "IF",   "LIF",  "REM",   "STOP",  "END",   "INPUT", "OPEN", "CLOSE",  "DIM",   "ORDER",
    "READ", "DATA", "SAVE", "LOAD",  "DELAY", "BEEP",  "DOS",   "OUT",  "TO",     "STEP",  "THEN",
    "+",    "-",    "*",    "/",     "%",     "&",     "|",     "^",    "=",      "<>",    "<=",
    "<",    ">=",   ">",    "CHR$(", "STR$(", "ASC(",  "ABS(",  "NUM(", "RND(",   "KEY(",  "INP("};

int upper_ascii(int c) {
    return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}
bool is_alnum_ascii(int c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Keywords grouped by their first character, each group in table order, so that a position is
// tried only against the keywords that can match there.
struct KeywordIndex {
    std::array<std::array<std::uint8_t, 8>, 128> entries{};  // keyword numbers 1..55, 0 ends
    std::array<std::uint8_t, kKeywordCount + 1> lengths{};
    KeywordIndex() {
        for (int k = 1; k <= kKeywordCount; ++k) {
            lengths[k] = std::uint8_t(std::strlen(kKeywords[k - 1]));
            auto& group = entries[static_cast<unsigned char>(kKeywords[k - 1][0])];
            int n = 0;
            while (group[n] != 0) ++n;
            group[n] = std::uint8_t(k);
        }
    }
};

const KeywordIndex& keyword_index() {
    static const KeywordIndex index;
    return index;
}

// Length of keyword k matched at in[pos..length), or 0.
int match_length(const char* in, int pos, int length, int k, int n) {
    const char* kw = kKeywords[k - 1];
    if (pos + n > length) return 0;
    for (int j = 0; j < n; ++j) {
        if (upper_ascii(static_cast<unsigned char>(in[pos + j])) != kw[j]) return 0;
    }
    // TOP is T, O, P and not the keyword TO followed by P.
    if (is_alnum_ascii(kw[n - 1]) && pos + n < length &&
        is_alnum_ascii(static_cast<unsigned char>(in[pos + n])))
        return 0;
    return n;
}

}  // namespace

const char* keyword(int k) {
    return (k >= 1 && k <= kKeywordCount) ? kKeywords[k - 1] : nullptr;
}

int tokenize(const char* in, int length, std::uint8_t* out) {
    if (length > kMaxExpressionLength) length = kMaxExpressionLength;
    const void* nul = length > 0 ? std::memchr(in, 0, length) : nullptr;
    if (nul) length = int(static_cast<const char*>(nul) - in);

    const KeywordIndex& index = keyword_index();
    int pos = 0, written = 0;
    while (pos < length) {
        const int c = static_cast<unsigned char>(in[pos]);
        int matched = 0, token = 0;
        if (c < 0x80) {
            for (std::uint8_t k : index.entries[upper_ascii(c)]) {
                if (k == 0) break;
                matched = match_length(in, pos, length, k, index.lengths[k]);
                if (matched > 0) {
                    token = kTokenBase + k;
                    break;
                }
            }
        }
        if (matched > 0) {
            out[written++] = std::uint8_t(token);
            pos += matched;
            while (pos < length && (in[pos] == ' ' || in[pos] == '\t')) ++pos;
        } else {
            out[written++] = c < 0x80 ? std::uint8_t(c) : kForeignByte;
            ++pos;
        }
    }
    out[written] = 0;
    return written;
}

}  // namespace formula_tokens
