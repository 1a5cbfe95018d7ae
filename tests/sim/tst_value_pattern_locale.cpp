// Simulated values read from the configuration and written on the bus keep "." as the decimal
// point when the simulator runs under a German locale.
#include <QtTest>

#include "decimal_comma_locale.h"
#include "sim/value_pattern.h"

class ValuePatternLocaleTest : public QObject {
    Q_OBJECT
  private slots:
    void valuesAreTheSameUnderADecimalCommaLocale_data();
    void valuesAreTheSameUnderADecimalCommaLocale();
};

void ValuePatternLocaleTest::valuesAreTheSameUnderADecimalCommaLocale_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("fixed") << "21.50" << 0 << "+21.50";
    QTest::newRow("negative") << "-3.25" << 0 << "-3.25";
    QTest::newRow("whole number") << "270" << 0 << "+270";
    QTest::newRow("ramp") << "ramp(0.5, -0.25)" << 3 << "-0.25";
    QTest::newRow("ramp through zero") << "ramp(-0.50, 0.25)" << 2 << "+0.00";
    QTest::newRow("cycle") << "cycle(1.5 -0.001 7)" << 1 << "-0.001";
    QTest::newRow("many digits") << "123456789012.5" << 0 << "+123456789012.5";
}

void ValuePatternLocaleTest::valuesAreTheSameUnderADecimalCommaLocale() {
    QFETCH(QString, pattern);
    QFETCH(int, count);
    QFETCH(QString, text);
    const DecimalCommaLocale german;
    if (!german.active()) QSKIP(DecimalCommaLocale::kMissing);
    std::string error;
    const auto parsed = ValuePattern::parse(pattern.toStdString(), &error);
    QVERIFY2(parsed, error.c_str());
    QCOMPARE(QString::fromStdString(parsed->text(count)), text);
}

QTEST_GUILESS_MAIN(ValuePatternLocaleTest)
#include "tst_value_pattern_locale.moc"
