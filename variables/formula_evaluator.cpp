#include "variables/formula_evaluator.h"

#include <charconv>
#include <cmath>

#include "variables/column_ref.h"
#include "variables/formula_tokens.h"

namespace {

using namespace formula_tokens;

bool ends_expression(std::uint8_t b) {
    return b == 0 || b == ':' || b == ')' || b == ',' || b == kTokenTo || b == kTokenStep || b == kTokenThen;
}

bool is_digit(std::uint8_t b) {
    return b >= '0' && b <= '9';
}

// Low 16 bits of v truncated toward zero, as a two's complement integer would hold them.
int low_bits(float v) {
    double m = std::fmod(std::trunc(double(v)), 65536.0);
    if (m < 0) m += 65536.0;
    return int(m);
}

}  // namespace

float evaluate_expression(const QByteArray& expression, const ColumnValues& columns) {
    return evaluate_expression(expression.constData(), expression.size(), columns);
}

float evaluate_expression(const char* expression, int length, const ColumnValues& columns) {
    FormulaEvaluator evaluator(columns);
    return evaluator.evaluate(expression, length);
}

int FormulaEvaluator::operator_code(std::uint8_t byte) {
    if (byte >= kTokenPlus && byte <= kTokenGreater) return (byte & 0x7F) - 33;
    return kUnknown;
}

int FormulaEvaluator::priority(int code) {
    switch (code) {
        case kStackBottom:
            return 0;
        case 1:  // +
        case 2:  // -
            return 1;
        case 3:  // *
        case 4:  // /
        case 5:  // %
            return 2;
        case 6:  // &
        case 7:  // |
        case 8:  // ^
            return 3;
        case 9:   // =
        case 10:  // <>
        case 11:  // <=
        case 12:  // <
        case 13:  // >=
        case 14:  // >
            return 1;
        default:
            return 3;  // an unknown operator takes its neighbours and turns them into NaN
    }
}

float FormulaEvaluator::apply(int code, float a, float b) {
    // A value nobody measured makes every result built on it unmeasured too, comparisons and
    // logic included: "D > 5" of a silent sensor is neither true nor false.
    if (std::isnan(a) || std::isnan(b)) return NAN;
    const bool integral = std::isfinite(a) && std::isfinite(b);
    switch (code) {
        case 1:
            return a + b;
        case 2:
            return a - b;
        case 3:
            return a * b;
        case 4:
            return a / b;
        case 6:
            if (!integral) return NAN;
            return (low_bits(a) != 0 && low_bits(b) != 0) ? 1.0f : 0.0f;
        case 7:
            return (a != 0.0f || b != 0.0f) ? 1.0f : 0.0f;
        case 8:
            if (!integral) return NAN;
            return float(low_bits(a) ^ low_bits(b));
        case 9:
            return a == b ? 1.0f : 0.0f;
        case 10:
            return a == b ? 0.0f : 1.0f;
        case 11:
            return a <= b ? 1.0f : 0.0f;
        case 12:
            return a < b ? 1.0f : 0.0f;
        case 13:
            return a >= b ? 1.0f : 0.0f;
        case 14:
            return a > b ? 1.0f : 0.0f;
        default:  // % and unknown operators
            return NAN;
    }
}

float FormulaEvaluator::evaluate(const char* text, int length) {
    const int n = tokenize(text, length, buffer_.data());
    cursor_ = buffer_.data();
    end_ = cursor_ + n;
    budget_ = 0;
    values_.clear();
    operators_.clear();
    return expression();
}

// Past the budget nothing more is read: the operand is 0 and the text ends here, so the unread
// rest can neither be taken for operators (which would turn the result into NaN) nor cost more.
float FormulaEvaluator::out_of_budget() {
    cursor_ = end_;
    return 0.0f;
}

void FormulaEvaluator::skip_blanks() {
    while (*cursor_ == ' ' || *cursor_ == '\t') ++cursor_;
}

void FormulaEvaluator::apply_top() {
    const int code = operators_.pop();
    const float right = values_.pop();
    const float left = values_.pop();
    values_.push(apply(code, left, right));
}

float FormulaEvaluator::expression() {
    budget_ += kExpressionCost;
    if (budget_ > kBudgetLimit) return out_of_budget();
    const int value_base = values_.size(), operator_base = operators_.size();
    operators_.push(kStackBottom);
    values_.push(operand());
    for (;;) {
        skip_blanks();
        const std::uint8_t b = *cursor_;
        if (ends_expression(b)) break;
        ++cursor_;
        const int code = operator_code(b);
        // The bottom has priority 0, so this never reaches into an enclosing expression.
        while (operators_.size() > operator_base + 1 && priority(code) <= priority(operators_.top()))
            apply_top();
        const float next = operand();
        values_.push(next);
        operators_.push(code);
    }
    while (operators_.size() > operator_base + 1) apply_top();
    if (*cursor_ == ')') ++cursor_;
    const float result = values_.top();
    values_.truncate(value_base);
    operators_.truncate(operator_base);
    return result;
}

float FormulaEvaluator::operand() {
    budget_ += kOperandCost;
    if (budget_ > kBudgetLimit) return out_of_budget();
    skip_blanks();
    const std::uint8_t b = *cursor_;
    if (is_digit(b)) return number();
    if (b == '(') {
        ++cursor_;
        return expression();
    }
    if (b == '!') {
        ++cursor_;
        const float v = operand();
        if (!std::isfinite(v)) return NAN;
        return float(-1 - low_bits(v));
    }
    if (b == kTokenMinus) {
        ++cursor_;
        return -operand();
    }
    if (b == kTokenAbs) {
        ++cursor_;
        return std::fabs(expression());
    }
    const ColumnRef ref = parse_column_ref(reinterpret_cast<const char*>(cursor_));
    if (ref.length == 0) return NAN;  // a keyword or stray character is no operand
    cursor_ += ref.length;
    return columns_.at(ref.index);
}

// Decimal digits with an optional "." and fraction digits; no sign, no exponent. The value is
// the float nearest to the decimal number, however many digits it has.
float FormulaEvaluator::number() {
    const char* start = reinterpret_cast<const char*>(cursor_);
    bool nonzero_integer = false;
    while (is_digit(*cursor_)) nonzero_integer |= (*cursor_++ != '0');
    const char* digits_end = reinterpret_cast<const char*>(cursor_);
    if (*cursor_ == '.') {
        ++cursor_;
        while (is_digit(*cursor_)) ++cursor_;
        if (reinterpret_cast<const char*>(cursor_) > digits_end + 1)
            digits_end = reinterpret_cast<const char*>(cursor_);
    }
    float value = 0.0f;
    const std::from_chars_result r = std::from_chars(start, digits_end, value, std::chars_format::fixed);
    if (r.ec == std::errc::result_out_of_range) return nonzero_integer ? INFINITY : 0.0f;
    return value;
}
