#pragma once

#include <optional>
#include <string>
#include <vector>

// One measured value of a simulated sensor: fixed, a ramp that moves with each measurement, or a
// list cycled through. Formats values the way SDI-12 writes them, sign first ("+21.50").
// Thread: any (immutable once parsed).
class ValuePattern {
  public:
    // Parses "21.5", "ramp(BASE, STEP)", "ramp(BASE, STEP, PERIOD)" or "cycle(V1, V2, ...)".
    // Returns nothing and sets *error on a mistake.
    static std::optional<ValuePattern> parse(const std::string& text, std::string* error);
    // Cuts a values line into pattern texts at blanks outside parentheses.
    static std::vector<std::string> split_list(const std::string& text);

    // The value of measurement number `count` (0 is the first) and its SDI-12 text.
    double value(long count) const;
    std::string text(long count) const;

  private:
    enum class Kind { Fixed, Ramp, Cycle };

    std::size_t item_of(long count) const;

    Kind kind_ = Kind::Fixed;
    std::vector<double> numbers_;  // fixed: {value}; ramp: {base, step}; cycle: the items
    std::vector<int> decimals_;    // digits after the point: per item (cycle), else one
    long period_ = 0;              // ramp: starts again after this many measurements (0: never)
};
