#include <QtTest>
#include <atomic>
#include <cmath>
#include <thread>

#include "variables/bounded_stack.h"
#include "variables/column_list.h"
#include "variables/column_ref.h"
#include "variables/formula_evaluator.h"
#include "variables/formula_tokens.h"

namespace {

// Column values every case sees: A 12, B 4, D 2, E NaN, T 7, AA 26.5, IU -3, the rest 0.
std::vector<float> sample_values() {
    ColumnList list;
    list.set_value(0, 12);
    list.set_value(1, 4);
    list.set_value(3, 2);
    list.set_value(4, NAN);
    list.set_value(19, 7);
    list.set_value(26, 26.5);
    list.set_value(254, -3);
    return list.values_f(list.size());
}

// Exact comparison: the evaluator's results are exact floats; NaN must match NaN.
bool same(float actual, float expected) {
    if (std::isnan(expected)) return std::isnan(actual);
    return actual == expected;
}

QByteArray repeated_sum(const char* term, int terms) {
    QByteArray text(term);
    for (int i = 1; i < terms; ++i) text += QByteArray("+") + term;
    return text;
}

QByteArray nested(int depth, const QByteArray& inner) {
    return QByteArray(depth, '(') + inner + QByteArray(depth, ')');
}

}  // namespace

class FormulaEvaluatorTest : public QObject {
    Q_OBJECT
  private slots:
    void expressionGivesItsValue_data();
    void expressionGivesItsValue();
    void keywordTableHasItsTokenBytes();
    void tokenizerMatchesKeywordsOnlyAsWholeWords_data();
    void tokenizerMatchesKeywordsOnlyAsWholeWords();
    void columnReferencesHaveOneOrTwoLetters_data();
    void columnReferencesHaveOneOrTwoLetters();
    void fullStackOverwritesItsTopAndEmptyStackYieldsItsEmptyValue();
    void evaluationsOnManyThreadsDoNotDisturbEachOther();
};

void FormulaEvaluatorTest::expressionGivesItsValue_data() {
    QTest::addColumn<QByteArray>("expression");
    QTest::addColumn<float>("expected");
    const float nan = NAN;
    const float inf = INFINITY;

    // Operands and references.
    QTest::newRow("column times number") << QByteArray("A*5.5") << 66.0f;
    QTest::newRow("lower-case reference") << QByteArray("a*5.5") << 66.0f;
    QTest::newRow("two-letter reference") << QByteArray("AA") << 26.5f;
    QTest::newRow("two letters mixed case") << QByteArray("aA+Aa") << 53.0f;
    QTest::newRow("last column") << QByteArray("iu") << -3.0f;
    QTest::newRow("beyond the list reads 0") << QByteArray("IV+1") << 1.0f;
    QTest::newRow("highest reference reads 0") << QByteArray("NK") << 0.0f;
    QTest::newRow("NL is N then an operator") << QByteArray("NL") << nan;
    QTest::newRow("digit after a reference is an operator") << QByteArray("D1") << nan;
    QTest::newRow("number after operand") << QByteArray("2A") << nan;
    QTest::newRow("fraction") << QByteArray("3.25") << 3.25f;
    QTest::newRow("trailing point") << QByteArray("3.+1") << 4.0f;
    QTest::newRow("tenth is the nearest float") << QByteArray("0.1") << 0.1f;
    QTest::newRow("long integer keeps its size")
        << QByteArray("12345678901234567890") << 12345678901234567890.0f;
    QTest::newRow("many fraction digits") << QByteArray("3.14159265358979") << 3.14159265358979f;
    QTest::newRow("beyond the float range") << QByteArray("1" + QByteArray(45, '0')) << inf;
    QTest::newRow("point without digit is no number") << QByteArray(".5") << nan;
    QTest::newRow("blanks and tabs") << QByteArray(" \t1 +\t2 ") << 3.0f;
    QTest::newRow("empty expression") << QByteArray("") << nan;

    // Precedence: & | ^ above * /, which are above + - and the comparisons.
    QTest::newRow("mixed additive and multiplicative") << QByteArray("1-2*3+4") << -1.0f;
    QTest::newRow("xor before times") << QByteArray("2*3^1") << 4.0f;
    QTest::newRow("division from the left") << QByteArray("8/2/2") << 2.0f;
    QTest::newRow("subtraction from the left") << QByteArray("10-4-3") << 3.0f;
    QTest::newRow("and before times") << QByteArray("6&3*2") << 2.0f;
    QTest::newRow("or before times") << QByteArray("5|0*3") << 3.0f;
    QTest::newRow("comparison as loose as plus") << QByteArray("1<2+1") << 2.0f;
    QTest::newRow("plus then comparison") << QByteArray("1+2=3") << 1.0f;
    QTest::newRow("parentheses first") << QByteArray("(1+2)*3") << 9.0f;
    QTest::newRow("nested parentheses") << QByteArray("2*(3-(4-1))") << 0.0f;

    // Every operator.
    QTest::newRow("plus") << QByteArray("1.5+2") << 3.5f;
    QTest::newRow("minus") << QByteArray("1-2.5") << -1.5f;
    QTest::newRow("times") << QByteArray("3*4") << 12.0f;
    QTest::newRow("divide") << QByteArray("1/4") << 0.25f;
    QTest::newRow("divide by zero") << QByteArray("1/0") << inf;
    QTest::newRow("negative divide by zero") << QByteArray("-1/0") << -inf;
    QTest::newRow("zero by zero") << QByteArray("0/0") << nan;
    QTest::newRow("percent has no operation") << QByteArray("7%2") << nan;
    QTest::newRow("and both set") << QByteArray("6&3") << 1.0f;
    QTest::newRow("and one zero") << QByteArray("6&0") << 0.0f;
    QTest::newRow("and looks at low 16 bits") << QByteArray("65536&1") << 0.0f;
    QTest::newRow("and truncates toward zero") << QByteArray("0.9&1") << 0.0f;
    QTest::newRow("or") << QByteArray("0|3") << 1.0f;
    QTest::newRow("or both zero") << QByteArray("0|0") << 0.0f;
    QTest::newRow("xor") << QByteArray("12^10") << 6.0f;
    QTest::newRow("xor of negative keeps 16 bits") << QByteArray("-1^0") << 65535.0f;
    QTest::newRow("equal") << QByteArray("3=3") << 1.0f;
    QTest::newRow("not equal") << QByteArray("3<>3") << 0.0f;
    QTest::newRow("less or equal") << QByteArray("2<=2") << 1.0f;
    QTest::newRow("less") << QByteArray("2<2") << 0.0f;
    QTest::newRow("greater or equal") << QByteArray("3>=4") << 0.0f;
    QTest::newRow("greater") << QByteArray("3>2") << 1.0f;

    // Unary forms.
    QTest::newRow("not zero") << QByteArray("!0") << -1.0f;
    QTest::newRow("not one") << QByteArray("!1") << -2.0f;
    QTest::newRow("not keeps 16 bits") << QByteArray("!65537") << -2.0f;
    QTest::newRow("abs") << QByteArray("ABS(B-10)") << 6.0f;
    QTest::newRow("abs in lower case") << QByteArray("abs(b-10)") << 6.0f;
    QTest::newRow("abs without parenthesis is no function") << QByteArray("ABS 1") << nan;
    QTest::newRow("negation") << QByteArray("-A") << -12.0f;
    QTest::newRow("double negation") << QByteArray("--A") << 12.0f;
    QTest::newRow("negation after operator") << QByteArray("2*-3") << -6.0f;

    // Ends of a formula.
    QTest::newRow("missing parenthesis") << QByteArray("(1+2") << 3.0f;
    QTest::newRow("missing abs parenthesis") << QByteArray("ABS(1-3") << 2.0f;
    QTest::newRow("extra parenthesis ends the formula") << QByteArray("1+2)*3") << 3.0f;
    QTest::newRow("colon ends the formula") << QByteArray("1+2:*5") << 3.0f;
    QTest::newRow("comma ends the formula") << QByteArray("(1,2)*5") << 1.0f;
    QTest::newRow("TO ends the formula") << QByteArray("D TO 5") << 2.0f;
    QTest::newRow("STEP ends the formula") << QByteArray("D step 5") << 2.0f;
    QTest::newRow("THEN ends the formula") << QByteArray("D THEN 5") << 2.0f;
    QTest::newRow("TOP is no keyword") << QByteArray("D TOP") << nan;

    // Keywords are no operands.
    QTest::newRow("IF is a keyword, not column IF") << QByteArray("IF") << nan;
    QTest::newRow("TOP is T and an unknown operator") << QByteArray("TOP") << nan;
    QTest::newRow("T alone is a column") << QByteArray("T") << 7.0f;
    QTest::newRow("CHR$ is no operand") << QByteArray("CHR$(1)") << nan;
    QTest::newRow("RND is no operand") << QByteArray("1+RND(1)") << nan;
    QTest::newRow("statement keyword") << QByteArray("PRINT") << nan;
    QTest::newRow("keyword as operator") << QByteArray("1 LET 2") << nan;

    // Bytes that only look like operators.
    QTest::newRow("exclamation mark between operands") << QByteArray("2!3") << nan;
    QTest::newRow("quote is not plus") << QByteArray("2\"3") << nan;
    QTest::newRow("parenthesis after operand") << QByteArray("2(3)") << nan;
    QTest::newRow("8-bit byte is no token") << QByteArray(
                                                   "A\xA2"
                                                   "B")
                                            << nan;

    // NaN propagation (E holds NaN).
    QTest::newRow("NaN plus") << QByteArray("E+1") << nan;
    QTest::newRow("NaN times zero") << QByteArray("E*0") << nan;
    QTest::newRow("NaN negated") << QByteArray("-E") << nan;
    QTest::newRow("NaN abs") << QByteArray("ABS(E)") << nan;
    QTest::newRow("NaN through parentheses") << QByteArray("(E-1)/2") << nan;
    // A comparison or logic over a value nobody measured is neither true nor false.
    QTest::newRow("NaN equal to itself") << QByteArray("E=E") << nan;
    QTest::newRow("NaN not equal") << QByteArray("E<>E") << nan;
    QTest::newRow("NaN less") << QByteArray("E<1") << nan;
    QTest::newRow("NaN or") << QByteArray("E|0") << nan;
    QTest::newRow("NaN and") << QByteArray("E&1") << nan;
    QTest::newRow("NaN xor") << QByteArray("E^1") << nan;
    QTest::newRow("NaN not") << QByteArray("!E") << nan;
    QTest::newRow("unknown operator with NaN") << QByteArray("2A+1") << nan;

    // Cost budget: 8 an expression, 10 an operand, nothing read past 200.
    QTest::newRow("19 terms are all read") << repeated_sum("D", 19) << 38.0f;
    QTest::newRow("25 terms add only the first 19") << repeated_sum("D", 25) << 38.0f;
    QTest::newRow("sub-expression past the budget is 0") << (repeated_sum("D", 19) + "+(1)") << 38.0f;
    QTest::newRow("ten nested parentheses are read") << nested(10, "1") << 1.0f;
    QTest::newRow("eleven nested parentheses are 0") << nested(11, "1") << 0.0f;
    QTest::newRow("18 negations are read") << (QByteArray(18, '-') + "A") << 12.0f;
    QTest::newRow("19 negations leave A unread") << (QByteArray(19, '-') + "A") << 0.0f;
    QTest::newRow("deep pending operators") << QByteArray("1+2*3&(4+5*6&(7+8*9&(1+1*1&(1))))") << 3.0f;
    QTest::newRow("very deep nesting stays finite") << nested(120, "1+1") << 0.0f;

    // Length: the expression is cut at 255 bytes.
    QTest::newRow("255 bytes are read") << (QByteArray("2") + QByteArray(252, ' ') + "+3") << 5.0f;
    QTest::newRow("byte 256 is cut off") << (QByteArray("2") + QByteArray(252, ' ') + "+30") << 5.0f;
}

void FormulaEvaluatorTest::expressionGivesItsValue() {
    QFETCH(QByteArray, expression);
    QFETCH(float, expected);
    static const std::vector<float> values = sample_values();
    const float actual = evaluate_expression(expression, values);
    QVERIFY2(same(actual, expected),
             qPrintable(QStringLiteral("got %1, expected %2").arg(double(actual)).arg(double(expected))));
}

void FormulaEvaluatorTest::keywordTableHasItsTokenBytes() {
    QCOMPARE(QByteArray(formula_tokens::keyword(1)), QByteArray("LET"));
    QCOMPARE(QByteArray(formula_tokens::keyword(55)), QByteArray("INP("));
    QVERIFY(formula_tokens::keyword(0) == nullptr && formula_tokens::keyword(56) == nullptr);
    const struct {
        const char* text;
        int token;
    } expected[] = {{"TO", 0x9F}, {"STEP", 0xA0}, {"THEN", 0xA1}, {"+", 0xA2},  {"-", 0xA3}, {"*", 0xA4},
                    {"/", 0xA5},  {"%", 0xA6},    {"&", 0xA7},    {"|", 0xA8},  {"^", 0xA9}, {"=", 0xAA},
                    {"<>", 0xAB}, {"<=", 0xAC},   {"<", 0xAD},    {">=", 0xAE}, {">", 0xAF}, {"ABS(", 0xB3}};
    for (const auto& e : expected) {
        std::uint8_t out[formula_tokens::kMaxExpressionLength + 1];
        QCOMPARE(formula_tokens::tokenize(e.text, int(strlen(e.text)), out), 1);
        QCOMPARE(int(out[0]), e.token);
        QCOMPARE(QByteArray(formula_tokens::keyword(e.token - 0x80)), QByteArray(e.text));
    }
    for (int code = 1; code <= 14; ++code)
        QCOMPARE(FormulaEvaluator::operator_code(std::uint8_t(0xA1 + code)), code);
}

void FormulaEvaluatorTest::tokenizerMatchesKeywordsOnlyAsWholeWords_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("tokens");
    QTest::newRow("keyword in lower case") << QByteArray("to") << QByteArray("\x9F");
    QTest::newRow("letter after keyword") << QByteArray("TOP") << QByteArray("TOP");
    QTest::newRow("digit after keyword") << QByteArray("to5") << QByteArray("to5");
    QTest::newRow("blanks after keyword are skipped") << QByteArray("A +  \tB")
                                                      << QByteArray(
                                                             "A \xA2"
                                                             "B");
    QTest::newRow("symbol keyword before letter") << QByteArray("<>b")
                                                  << QByteArray(
                                                         "\xAB"
                                                         "b");
    QTest::newRow("longer keyword first in table order") << QByteArray("<=<") << QByteArray("\xAC\xAD");
    QTest::newRow("function keyword") << QByteArray("abs(x") << QByteArray("\xB3x");
    QTest::newRow("keyword inside a word") << QByteArray("XIF") << QByteArray("X\x8D");
    QTest::newRow("8-bit bytes stay apart from tokens") << QByteArray("\xA2\xB3") << QByteArray("\xFF\xFF");
}

void FormulaEvaluatorTest::tokenizerMatchesKeywordsOnlyAsWholeWords() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, tokens);
    std::uint8_t out[formula_tokens::kMaxExpressionLength + 1];
    const int n = formula_tokens::tokenize(text.constData(), text.size(), out);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(out), n), tokens);
}

void FormulaEvaluatorTest::columnReferencesHaveOneOrTwoLetters_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("index");
    QTest::newRow("single") << QByteArray("A") << 1 << 0;
    QTest::newRow("single lower") << QByteArray("z") << 1 << 25;
    QTest::newRow("pair") << QByteArray("AA") << 2 << 26;
    QTest::newRow("pair lower") << QByteArray("iu") << 2 << 254;
    QTest::newRow("pair mixed") << QByteArray("bA") << 2 << 52;
    QTest::newRow("last M pair") << QByteArray("MZ") << 2 << 363;
    QTest::newRow("highest pair") << QByteArray("NK") << 2 << 374;
    QTest::newRow("N beyond K") << QByteArray("NL") << 1 << 13;
    QTest::newRow("O starts no pair") << QByteArray("OA") << 1 << 14;
    QTest::newRow("digit after letter") << QByteArray("D5") << 1 << 3;
    QTest::newRow("digit") << QByteArray("5") << 0 << 0;
    QTest::newRow("empty") << QByteArray("") << 0 << 0;
    QTest::newRow("8-bit letter") << QByteArray("\xC4") << 0 << 0;
}

void FormulaEvaluatorTest::columnReferencesHaveOneOrTwoLetters() {
    QFETCH(QByteArray, text);
    QFETCH(int, length);
    QFETCH(int, index);
    const ColumnRef ref = parse_column_ref(text.constData());
    QCOMPARE(ref.length, length);
    if (length > 0) QCOMPARE(ref.index, index);
    const ColumnRef from_text = parse_column_ref(QString::fromLatin1(text));
    QCOMPARE(from_text.length, length);
    if (length > 0) QCOMPARE(from_text.index, index);
}

void FormulaEvaluatorTest::fullStackOverwritesItsTopAndEmptyStackYieldsItsEmptyValue() {
    BoundedStack<float, FormulaEvaluator::kStackDepth> stack(-7.0f);
    QCOMPARE(stack.pop(), -7.0f);
    QCOMPARE(stack.top(), -7.0f);
    for (int i = 1; i <= 25; ++i) stack.push(float(i));
    QCOMPARE(stack.size(), 20);
    QCOMPARE(stack.pop(), 25.0f);  // pushes 20..25 each replaced the top
    QCOMPARE(stack.pop(), 19.0f);
    stack.truncate(3);
    QCOMPARE(stack.size(), 3);
    stack.truncate(10);  // never grows
    QCOMPARE(stack.size(), 3);
    QCOMPARE(stack.pop(), 3.0f);
}

void FormulaEvaluatorTest::evaluationsOnManyThreadsDoNotDisturbEachOther() {
    const std::vector<float> values = sample_values();
    const QByteArray texts[2] = {"ABS(B-10)*(1+2*3&(4+5*6))", "1-2*3+4+AA/2"};
    const float expected[2] = {evaluate_expression(texts[0], values), evaluate_expression(texts[1], values)};
    QCOMPARE(expected[0], 18.0f);
    QCOMPARE(expected[1], 12.25f);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5000; ++i)
                if (evaluate_expression(texts[(t + i) % 2], values) != expected[(t + i) % 2]) ++wrong;
        });
    }
    for (std::thread& th : threads) th.join();
    QCOMPARE(wrong.load(), 0);
}

QTEST_GUILESS_MAIN(FormulaEvaluatorTest)
#include "tst_formula_evaluator.moc"
