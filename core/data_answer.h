#pragma once

#include <QByteArray>
#include <vector>

// Cuts an SDI-12 data answer line (normally the echoed command followed by the answer, such as
// 0D0!0+1.25-3.5) into its numbers. The first "+" or "-" within the first 10 characters starts
// the values (that skips the echo and the address); without one, parsing starts at the first
// character. A token is a leading sign, digits and ".", an "E" after the first character with an
// optional sign right after it; it ends at any other character or after 16 characters. Parsing
// stops at the first empty token. Pure.
std::vector<float> split_data_answer(const QByteArray& line);
