#include "variables/column_ref.h"

namespace {

// ASCII-only upper case: the locale must not turn other bytes into letters.
int upper_ascii(int c) {
    return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}
bool is_letter(int c) {
    return c >= 'A' && c <= 'Z';
}

ColumnRef parse_pair(int first_char, int second_char) {
    ColumnRef ref;
    const int first = upper_ascii(first_char);
    if (!is_letter(first)) return ref;
    const int second = upper_ascii(second_char);
    const bool two_letters = is_letter(second) && (first <= 'M' || (first == 'N' && second <= 'K'));
    if (two_letters) {
        ref.length = 2;
        ref.index = 26 * (first - 'A' + 1) + (second - 'A');
    } else {
        ref.length = 1;
        ref.index = first - 'A';
    }
    return ref;
}

int latin_code(const QString& text, int pos) {
    if (pos < 0 || pos >= text.size()) return 0;
    const ushort u = text.at(pos).unicode();
    return u < 0x80 ? int(u) : 0;
}

}  // namespace

ColumnRef parse_column_ref(const char* text) {
    const int first = static_cast<unsigned char>(text[0]);
    if (!is_letter(upper_ascii(first))) return ColumnRef();
    return parse_pair(first, static_cast<unsigned char>(text[1]));
}

ColumnRef parse_column_ref(const QString& text, int pos) {
    return parse_pair(latin_code(text, pos), latin_code(text, pos + 1));
}

int column_index_of(const QString& text) {
    const ColumnRef ref = parse_column_ref(text, 0);
    return (ref.length > 0 && ref.length == text.size()) ? ref.index : -1;
}
