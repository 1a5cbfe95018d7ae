#include "sim/value_pattern.h"

#include <algorithm>
#include <cctype>

#include "link/number_text.h"

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A plain decimal number: optional sign, digits, optional point and digits. No exponents, so
// the number of decimals written back is the number the configuration shows.
bool parse_decimal(const std::string& text, double* value, int* decimals) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    int digits = 0;
    int after_point = -1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            ++digits;
            if (after_point >= 0) ++after_point;
        } else if (c == '.' && after_point < 0) {
            after_point = 0;
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    *value = read_double_prefix(text.data(), text.data() + text.size());
    *decimals = std::max(after_point, 0);
    return true;
}

std::vector<std::string> split_arguments(const std::string& inner) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : inner) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

// printf's "%+.*f" under the "C" locale, whatever the simulator's locale is.
std::string signed_fixed(double value, int decimals) {
    // A sign, the 309 integer digits of the largest double, the point and the decimals.
    std::string text(std::size_t(1 + 309 + 1 + decimals), ' ');
    char* const digits = &text[1];
    const char* end = write_fixed(digits, &text[0] + text.size(), value, decimals);
    text.resize(std::size_t(end - text.data()));
    if (*digits == '-')
        text.erase(0, 1);
    else
        text[0] = '+';
    return text;
}

}  // namespace

std::vector<std::string> ValuePattern::split_list(const std::string& text) {
    std::vector<std::string> items;
    std::string item;
    int depth = 0;
    for (const char c : text) {
        if (c == '(') ++depth;
        if (c == ')' && depth > 0) --depth;
        if ((c == ' ' || c == '\t') && depth == 0) {
            if (!item.empty()) items.push_back(item);
            item.clear();
        } else {
            item.push_back(c);
        }
    }
    if (!item.empty()) items.push_back(item);
    return items;
}

std::optional<ValuePattern> ValuePattern::parse(const std::string& raw, std::string* error) {
    const std::string text = trimmed(raw);
    ValuePattern pattern;
    double number = 0;
    int decimals = 0;
    if (parse_decimal(text, &number, &decimals)) {
        pattern.numbers_ = {number};
        pattern.decimals_ = {decimals};
        return pattern;
    }
    const auto open = text.find('(');
    if (open == std::string::npos || text.back() != ')') {
        *error = "not a number, ramp(...) or cycle(...): \"" + text + "\"";
        return std::nullopt;
    }
    const std::string name = trimmed(text.substr(0, open));
    const auto arguments = split_arguments(text.substr(open + 1, text.size() - open - 2));
    for (const auto& argument : arguments) {
        if (!parse_decimal(argument, &number, &decimals)) {
            *error = "not a number: \"" + argument + "\" in \"" + text + "\"";
            return std::nullopt;
        }
        pattern.numbers_.push_back(number);
        pattern.decimals_.push_back(decimals);
    }
    if (name == "cycle") {
        if (arguments.empty()) {
            *error = "cycle() needs at least one value";
            return std::nullopt;
        }
        pattern.kind_ = Kind::Cycle;
        return pattern;
    }
    if (name == "ramp") {
        if (arguments.size() < 2 || arguments.size() > 3) {
            *error = "ramp needs (BASE, STEP) or (BASE, STEP, PERIOD): \"" + text + "\"";
            return std::nullopt;
        }
        if (arguments.size() == 3) {
            const double period = pattern.numbers_[2];
            if (pattern.decimals_[2] != 0 || period < 1) {
                *error = "the period of a ramp is a whole number from 1: \"" + text + "\"";
                return std::nullopt;
            }
            pattern.period_ = static_cast<long>(period);
        }
        pattern.kind_ = Kind::Ramp;
        pattern.decimals_ = {std::max(pattern.decimals_[0], pattern.decimals_[1])};
        pattern.numbers_.resize(2);
        return pattern;
    }
    *error = "unknown pattern \"" + name + "\" (use ramp or cycle)";
    return std::nullopt;
}

std::size_t ValuePattern::item_of(long count) const {
    return kind_ == Kind::Cycle ? static_cast<std::size_t>(count % static_cast<long>(numbers_.size())) : 0;
}

double ValuePattern::value(long count) const {
    switch (kind_) {
        case Kind::Fixed:
            return numbers_[0];
        case Kind::Cycle:
            return numbers_[item_of(count)];
        case Kind::Ramp: {
            const long step_count = period_ > 0 ? count % period_ : count;
            return numbers_[0] + numbers_[1] * static_cast<double>(step_count);
        }
    }
    return 0;
}

std::string ValuePattern::text(long count) const {
    std::string text = signed_fixed(value(count), decimals_[item_of(count)]);
    // A value that rounds to zero is "+0.00", never "-0.00".
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text[0] = '+';
    return text;
}
