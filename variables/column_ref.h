#pragma once

#include <QString>

// A column reference at the start of a text: one or two letters in either case.
// length 0 means "no reference"; index is the column number it names. Plain data; any thread.
struct ColumnRef {
    int length = 0;
    int index = 0;
};

// Two letters when the first is A..M and the second A..Z, or the first is N and the second
// A..K (AA is 26, NK is 374); otherwise one letter (A is 0, Z is 25). Only letters are consumed,
// so "D5" is D followed by "5". Bytes outside ASCII are never letters.
// `text` is NUL-terminated; the second byte is read only when the first is a letter.
ColumnRef parse_column_ref(const char* text);
// The same rule at position `pos` of a text (the variable list reader's `col` attribute).
ColumnRef parse_column_ref(const QString& text, int pos = 0);
// The index when the whole text is one reference ("d", "IU"), else -1.
int column_index_of(const QString& text);
