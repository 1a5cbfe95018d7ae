// The fitting rules of the main window's tables, as plain arithmetic.

#include <QtTest>

#include "widgets/column_widths.h"

using Widths = std::vector<int>;
Q_DECLARE_METATYPE(Widths)

class ColumnWidthsTest : public QObject {
    Q_OBJECT
  private slots:
    void deviceTableKeepsButtonColumnsAndSharesTheRest_data() {
        QTest::addColumn<int>("viewport");
        QTest::addColumn<Widths>("expected");
        QTest::newRow("670 pixels") << 670 << Widths{20, 200, 300, 50, 50, 50};
        QTest::newRow("1240 pixels") << 1240 << Widths{40, 400, 600, 100, 50, 50};
        QTest::newRow("rounds down") << 700 << Widths{21, 210, 315, 52, 50, 50};
        QTest::newRow("as wide as the buttons") << 100 << Widths{0, 0, 0, 0, 50, 50};
        QTest::newRow("narrower than the buttons") << 60 << Widths{0, 0, 0, 0, 50, 50};
    }
    void deviceTableKeepsButtonColumnsAndSharesTheRest() {
        QFETCH(int, viewport);
        QFETCH(Widths, expected);
        const auto widths = column_widths::device_table(viewport);
        QCOMPARE(Widths(widths.begin(), widths.end()), expected);
    }

    void weightedColumnsSplitTheViewportByWeight_data() {
        QTest::addColumn<int>("viewport");
        QTest::addColumn<Widths>("weights");
        QTest::addColumn<Widths>("expected");
        QTest::newRow("variable list, 320")
            << 320 << column_widths::kVariableListWeights << Widths{20, 100, 100, 50, 50};
        QTest::newRow("variable list, 640")
            << 640 << column_widths::kVariableListWeights << Widths{40, 200, 200, 100, 100};
        QTest::newRow("formulas, 640") << 640 << column_widths::kFormulaWeights << Widths{40, 200, 200, 200};
        QTest::newRow("alarms, 900") << 900 << column_widths::kAlarmWeights
                                     << Widths{100, 200, 200, 200, 200};
        QTest::newRow("rounds down") << 333 << column_widths::kVariableListWeights
                                     << Widths{20, 104, 104, 52, 52};
        QTest::newRow("stops at a weight below 1") << 300 << Widths{100, 200, 0, 400} << Widths{100, 200};
        QTest::newRow("reads at most nine weights") << 900 << Widths(12, 1) << Widths(9, 100);
    }
    void weightedColumnsSplitTheViewportByWeight() {
        QFETCH(int, viewport);
        QFETCH(Widths, weights);
        QFETCH(Widths, expected);
        QCOMPARE(column_widths::weighted(viewport, weights), expected);
    }

    void noWeightsGiveNoColumns() { QVERIFY(column_widths::weighted(500, Widths{0, 10}).empty()); }
};

QTEST_APPLESS_MAIN(ColumnWidthsTest)
#include "tst_column_widths.moc"
