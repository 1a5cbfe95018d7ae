#include <QtTest>

#include "variables/column_list.h"
#include "variables/column_ref.h"

class ColumnListTest : public QObject {
    Q_OBJECT
  private slots:
    void lettersFollowTheSpreadsheetPattern_data();
    void lettersFollowTheSpreadsheetPattern();
    void lettersOfEveryColumnReadBackAsItsIndex();
    void resetMakesDefaultRecordsWithTheSystemColumnsNamed();
    void resetToAnotherCountEmptiesTheListFirst();
    void valueTextIsEmptyUntilTheFirstValue();
    void valueTextUsesSixSignificantDigits_data();
    void valueTextUsesSixSignificantDigits();
    void indexesBeyondTheListReadDefaultsAndIgnoreWrites();
    void floatValuesBeyondTheListReadZero();
    void clearLabelsLeavesTheOtherTexts();
};

void ColumnListTest::lettersFollowTheSpreadsheetPattern_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("letters");
    QTest::newRow("first") << 0 << "A";
    QTest::newRow("last single") << 25 << "Z";
    QTest::newRow("first pair") << 26 << "AA";
    QTest::newRow("end of A pairs") << 51 << "AZ";
    QTest::newRow("first B pair") << 52 << "BA";
    QTest::newRow("last column") << 254 << "IU";
    QTest::newRow("first beyond the list") << 255 << "IV";
}

void ColumnListTest::lettersFollowTheSpreadsheetPattern() {
    QFETCH(int, index);
    QFETCH(QString, letters);
    QCOMPARE(column_letters(index), letters);
}

void ColumnListTest::lettersOfEveryColumnReadBackAsItsIndex() {
    for (int i = 0; i <= 374; ++i) {
        QCOMPARE(column_index_of(column_letters(i)), i);
        QCOMPARE(column_index_of(column_letters(i).toLower()), i);
    }
}

void ColumnListTest::resetMakesDefaultRecordsWithTheSystemColumnsNamed() {
    ColumnList list;
    list.set_name(7, QStringLiteral("changed"));
    list.set_value(7, 3.0);
    list.reset_columns(255);
    QCOMPARE(list.size(), 255);
    QCOMPARE(list.name(0), QStringLiteral("Record"));
    QCOMPARE(list.units(0), QStringLiteral("no."));
    QCOMPARE(list.name(1), QStringLiteral("Date"));
    QCOMPARE(list.units(1), QStringLiteral("Y/M/D"));
    QCOMPARE(list.name(2), QStringLiteral("Time"));
    QCOMPARE(list.units(2), QStringLiteral("h:m:s"));
    for (int i = 0; i < 255; ++i) {
        const column_record r = list.record(i);
        QCOMPARE(r.letters, column_letters(i));
        QCOMPARE(r.value, 0.0);
        QVERIFY(r.value_text.isEmpty());
        QVERIFY(r.formula.isEmpty() && r.user1.isEmpty() && r.label.isEmpty());
        for (const QString& level : r.alarm) QVERIFY(level.isEmpty());
        if (i > 2) QVERIFY(r.name.isEmpty() && r.units.isEmpty());
    }
}

void ColumnListTest::resetToAnotherCountEmptiesTheListFirst() {
    ColumnList list(255);
    list.set_formula(100, QStringLiteral("=A"));
    list.reset_columns(2);
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.name(1), QStringLiteral("Date"));
    list.reset_columns(255);
    QVERIFY(list.formula(100).isEmpty());
}

void ColumnListTest::valueTextIsEmptyUntilTheFirstValue() {
    ColumnList list;
    QVERIFY(list.value_text(3).isEmpty());
    list.set_value(3, 0.0);
    QCOMPARE(list.value_text(3), QStringLiteral("0"));
}

void ColumnListTest::valueTextUsesSixSignificantDigits_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("integer") << 12.0 << "12";
    QTest::newRow("fraction") << 1.25 << "1.25";
    QTest::newRow("rounded to six digits") << 3.14159265 << "3.14159";
    QTest::newRow("large uses exponent") << 1234567.0 << "1.23457e+06";
    QTest::newRow("six digits stay fixed") << 123456.0 << "123456";
    QTest::newRow("small uses exponent") << 0.00001234 << "1.234e-05";
    QTest::newRow("negative") << -0.5 << "-0.5";
}

void ColumnListTest::valueTextUsesSixSignificantDigits() {
    QFETCH(double, value);
    QFETCH(QString, text);
    ColumnList list;
    list.set_value(10, value);
    QCOMPARE(list.value(10), value);
    QCOMPARE(list.value_text(10), text);
    QCOMPARE(QString::asprintf("%g", value), text);  // the C library's %g agrees
}

void ColumnListTest::indexesBeyondTheListReadDefaultsAndIgnoreWrites() {
    ColumnList list;
    list.set_value(255, 5.0);
    list.set_value(-1, 5.0);
    list.set_name(255, QStringLiteral("x"));
    list.set_alarm(3, 4, QStringLiteral("1"));
    QCOMPARE(list.size(), 255);
    QCOMPARE(list.value(255), 0.0);
    QCOMPARE(list.value_text(255), QStringLiteral("0"));
    QCOMPARE(list.value_text(-1), QStringLiteral("0"));
    QVERIFY(list.name(255).isEmpty());
    QVERIFY(list.record(300).letters.isEmpty());
    QVERIFY(list.alarm(3, 4).isEmpty());
}

void ColumnListTest::floatValuesBeyondTheListReadZero() {
    ColumnList list(5);
    list.set_value(4, 2.5);
    list.set_value(3, 1e300);  // beyond the float range: an infinity, not undefined behaviour
    const std::vector<float> v = list.values_f(8);
    QCOMPARE(int(v.size()), 8);
    QCOMPARE(v[4], 2.5f);
    QVERIFY(std::isinf(v[3]) && v[3] > 0);
    for (int i = 5; i < 8; ++i) QCOMPARE(v[i], 0.0f);
}

void ColumnListTest::clearLabelsLeavesTheOtherTexts() {
    ColumnList list;
    list.set_label(5, QStringLiteral("Temp"));
    list.set_name(5, QStringLiteral("Water"));
    list.clear_labels();
    QVERIFY(list.label(5).isEmpty());
    QCOMPARE(list.name(5), QStringLiteral("Water"));
}

QTEST_GUILESS_MAIN(ColumnListTest)
#include "tst_column_list.moc"
