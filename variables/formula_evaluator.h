#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <vector>

#include "variables/bounded_stack.h"

// The column values a formula may read: values[0..count). A reference beyond them (IV..NK, or a
// list shorter than the reference) reads 0, so the evaluator never reads outside the list.
struct ColumnValues {
    const float* values = nullptr;
    int count = 0;

    ColumnValues() = default;
    ColumnValues(const float* v, int n) : values(v), count(n) {}
    ColumnValues(const std::vector<float>& v) : values(v.data()), count(int(v.size())) {}  // NOLINT
    float at(int i) const { return (i >= 0 && i < count) ? values[i] : 0.0f; }
};

// Evaluates one formula expression (the text after "=") in 32-bit floats: tokenizes it, then runs
// the operator-precedence evaluation. Never fails; errors show as NaN or as 0 in the result:
// - an operand that is not a number, "(", "!", "-", "ABS(" or a column reference is NaN;
// - any byte in operator position other than + - * / % & | ^ = <> <= < >= > is an unknown
//   operator whose result is NaN (it binds as tightly as & | ^);
// - & | ^ and ! work on the low 16 bits of the truncated operands; an infinite or NaN operand
//   has no such bits and makes & ^ ! NaN, while | counts NaN as non-zero;
// - past a cost of 200 (8 an expression, 10 an operand) the operand or sub-expression being
//   started is 0 and the rest of the text is not read: 25 terms D+D+... add the first 19;
// - a missing ")" ends at the end of the text; an extra ")", ":" or "," ends the formula.
// Expressions longer than 255 bytes are cut at 255. All state lives in the call: re-entrant.
float evaluate_expression(const QByteArray& expression, const ColumnValues& columns);
float evaluate_expression(const char* expression, int length, const ColumnValues& columns);

// One evaluation's state: the tokenized text, its cursor, the two 20-entry stacks and the budget.
// Thread: a local object of one evaluation; nothing is shared.
class FormulaEvaluator {
  public:
    static constexpr int kStackDepth = 20;
    static constexpr int kBudgetLimit = 200, kExpressionCost = 8, kOperandCost = 10;

    explicit FormulaEvaluator(const ColumnValues& columns) : columns_(columns) {}
    float evaluate(const char* text, int length);

    // Operator code of a byte in operator position: 1..14 for the operator tokens, kUnknown else.
    static constexpr int kStackBottom = 0, kUnknown = -1;
    static int operator_code(std::uint8_t byte);
    static int priority(int code);
    static float apply(int code, float left, float right);

  private:
    float expression();
    float operand();
    float number();
    void apply_top();
    void skip_blanks();
    float out_of_budget();

    ColumnValues columns_;
    std::array<std::uint8_t, 256> buffer_;  // filled by tokenize, NUL-terminated
    const std::uint8_t* cursor_ = nullptr;
    const std::uint8_t* end_ = nullptr;  // the NUL after the tokenized text
    BoundedStack<float, kStackDepth> values_{0.0f};
    BoundedStack<int, kStackDepth> operators_{kStackBottom};
    int budget_ = 0;  // wide enough never to wrap: once past the limit it stays past
};
