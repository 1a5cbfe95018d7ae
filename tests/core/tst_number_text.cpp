// Numbers read from answers and written to records: the same as the C library under the "C"
// locale, whatever locale the process runs under.
#include <QtTest>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/data_answer.h"
#include "core/record_format.h"
#include "decimal_comma_locale.h"
#include "link/number_text.h"

namespace {

template <typename Number>
bool same_bits(Number a, Number b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QByteArray printf_fixed(double value, int decimals) {
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return QByteArray(text);
}

}  // namespace

class NumberTextTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void readingMatchesTheCLibraryUnderTheCLocale_data();
    void readingMatchesTheCLibraryUnderTheCLocale();
    void writingMatchesPrintfUnderTheCLocale_data();
    void writingMatchesPrintfUnderTheCLocale();
    void recordValuesMatchPrintfUnderTheCLocale_data();
    void recordValuesMatchPrintfUnderTheCLocale();
    void writingIntoTooLittleRoomGivesNothing();
    void answerAndRecordLineAreTheSameUnderADecimalCommaLocale();
};

void NumberTextTest::initTestCase() {
    QVERIFY(std::setlocale(LC_ALL, "C"));
}

void NumberTextTest::readingMatchesTheCLibraryUnderTheCLocale_data() {
    QTest::addColumn<QByteArray>("text");
    for (const char* text : {"21.5",
                             "+21.5",
                             "-3.25",
                             "0",
                             "-0",
                             "+0.000",
                             "",
                             "+",
                             "-",
                             ".",
                             "-.",
                             "+.5",
                             "5.",
                             "1.2.3",
                             "+1.5E",
                             "1.5E+",
                             "-2E-",
                             "1E5",
                             "+1.25E+2",
                             "7.5e-1",
                             "+E-5",
                             "-E5",
                             "12345678901234567890",
                             "0.1",
                             "16777217",
                             "3.4028235E38",
                             "3.4028236E38",
                             "1E99",
                             "-1E99",
                             "1E400",
                             "-1E400",
                             "1E-40",
                             "-1E-40",
                             "1E-45",
                             "7E-46",
                             "1E-50",
                             "-1E-50",
                             "1E-400",
                             "0.0000000000000001E-30",
                             "1E99999999999999",
                             "1E-99999999999999",
                             "21.5#",
                             "21.5 3",
                             "21,5"})
        QTest::newRow(*text ? text : "empty") << QByteArray(text);
}

void NumberTextTest::readingMatchesTheCLibraryUnderTheCLocale() {
    QFETCH(QByteArray, text);
    const char* first = text.constData();
    const char* last = first + text.size();
    const float f = read_float_prefix(first, last);
    const float expected_f = std::strtof(first, nullptr);
    QVERIFY2(same_bits(f, expected_f), qPrintable(QStringLiteral("%1 against strtof's %2")
                                                      .arg(double(f), 0, 'g', 9)
                                                      .arg(double(expected_f), 0, 'g', 9)));
    const double d = read_double_prefix(first, last);
    const double expected_d = std::strtod(first, nullptr);
    QVERIFY2(
        same_bits(d, expected_d),
        qPrintable(QStringLiteral("%1 against strtod's %2").arg(d, 0, 'g', 17).arg(expected_d, 0, 'g', 17)));
}

void NumberTextTest::writingMatchesPrintfUnderTheCLocale_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    const double values[] = {21.5,      -3.25,        0.0,          -0.0,     0.125,     2.5,     0.0000005,
                             0.0000015, 1e-7,         -1e-7,        1e15,     -1e300,    DBL_MAX, FLT_MAX,
                             -FLT_MAX,  FLT_TRUE_MIN, double(0.1f), INFINITY, -INFINITY, NAN,     -NAN};
    for (const double value : values)
        for (const int decimals : {0, 2, 6})
            QTest::addRow("%g, %d decimals", value, decimals) << value << decimals;
}

void NumberTextTest::writingMatchesPrintfUnderTheCLocale() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    char text[400];
    const char* end = write_fixed(text, text + sizeof text, value, decimals);
    QVERIFY(end);
    QCOMPARE(QByteArray(text, int(end - text)), printf_fixed(value, decimals));
}

void NumberTextTest::recordValuesMatchPrintfUnderTheCLocale_data() {
    QTest::addColumn<float>("value");
    const float values[] = {21.5f, -3.25f,  0.0f,         -0.0f,    45.2f,     70.699997f, 1e-7f, -FLT_MAX,
                            1e30f, FLT_MAX, FLT_TRUE_MIN, INFINITY, -INFINITY, NAN,        -NAN};
    for (const float value : values) QTest::addRow("%g", double(value)) << value;
}

void NumberTextTest::recordValuesMatchPrintfUnderTheCLocale() {
    QFETCH(float, value);
    char expected[128];
    std::snprintf(expected, sizeof expected, "7,%5.6f,%5.6f\n", double(value), double(value));
    // A value nobody measured is "nan" without blanks or sign, so spreadsheets read it as missing.
    QCOMPARE(format_record_line("7", {value, value}),
             std::isnan(value) ? QByteArray("7,nan,nan\n") : QByteArray(expected));
}

void NumberTextTest::writingIntoTooLittleRoomGivesNothing() {
    char text[kFloatFixed6Length];
    QVERIFY(write_fixed(text, text + sizeof text, -double(FLT_MAX), 6) == text + sizeof text);
    QVERIFY(!write_fixed(text, text + sizeof text - 1, -double(FLT_MAX), 6));
}

void NumberTextTest::answerAndRecordLineAreTheSameUnderADecimalCommaLocale() {
    const DecimalCommaLocale german;
    if (!german.active()) QSKIP(DecimalCommaLocale::kMissing);
    QCOMPARE(split_data_answer("0D0!0+21.5-3.25E1+.5"), (std::vector<float>{21.5f, -32.5f, 0.5f}));
    QCOMPARE(format_record_line("0", {21.5f, -3.25f, NAN, -INFINITY}),
             QByteArray("0,21.500000,-3.250000,nan, -inf\n"));
}

QTEST_GUILESS_MAIN(NumberTextTest)
#include "tst_number_text.moc"
