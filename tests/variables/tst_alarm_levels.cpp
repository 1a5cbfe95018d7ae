#include <QtTest>
#include <cmath>

#include "variables/alarm_levels.h"
#include "variables/column_list.h"

class AlarmLevelsTest : public QObject {
    Q_OBJECT
  private slots:
    void valueAgainstLevelsGivesState_data();
    void valueAgainstLevelsGivesState();
};

void AlarmLevelsTest::valueAgainstLevelsGivesState_data() {
    QTest::addColumn<QStringList>("levels");  // Alarm Low, Alarm High, Alert Low, Alert High
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("expected");
    const QStringList alarm_low_10{"10", "", "", ""};
    const QStringList highs{"", "80", "", "50"};
    QTest::newRow("below alarm low is alarm") << alarm_low_10 << 9.5 << 1 << 1;
    QTest::newRow("equal to alarm low is normal") << alarm_low_10 << 10.0 << 1 << 0;
    QTest::newRow("above alarm low is normal") << alarm_low_10 << 11.0 << 1 << 0;
    QTest::newRow("above alert high only is alert") << highs << 60.0 << 1 << 2;
    QTest::newRow("alarm wins over alert") << highs << 90.0 << 1 << 1;
    QTest::newRow("flags of alarm and alert high") << highs << 90.0 << 0 << 0x1010;
    QTest::newRow("equal to alarm high is only alert") << highs << 80.0 << 0 << 0x1000;
    QTest::newRow("text level ignored") << QStringList{"abc", "", "", ""} << -1e6 << 1 << 0;
    QTest::newRow("number with trailing text ignored") << QStringList{"10x", "", "", ""} << 0.0 << 0 << 0;
    QTest::newRow("both low flags") << QStringList{"10", "", "8", ""} << 5.0 << 2 << 0x101;
    QTest::newRow("mode 0 flags") << QStringList{"10", "", "8", ""} << 9.0 << 0 << 0x1;
    QTest::newRow("alert low alone") << QStringList{"", "", "8", ""} << 5.0 << 1 << 2;
    QTest::newRow("surrounding blanks accepted")
        << QStringList{" 10 ", "", "", "\t50"} << 60.0 << 0 << 0x1000;
    QTest::newRow("blank level ignored") << QStringList{"  ", "", "", ""} << -5.0 << 0 << 0;
    QTest::newRow("NaN value crosses nothing")
        << QStringList{"10", "20", "11", "19"} << double(NAN) << 0 << 0;
    QTest::newRow("no levels") << QStringList{"", "", "", ""} << 1e9 << 0 << 0;
    QTest::newRow("value equal to a fraction level")
        << QStringList{"0.1", "0.1", "", ""} << double(0.1f) << 0 << 0;
    QTest::newRow("double value equal to typed level") << QStringList{"0.1", "0.1", "", ""} << 0.1 << 0 << 0;
    QTest::newRow("negative levels") << QStringList{"-5", "-1", "", ""} << -0.5 << 0 << 0x10;
    QTest::newRow("level beyond the float range ignored")
        << QStringList{"1e300", "", "", ""} << 1.0 << 0 << 0;
    QTest::newRow("low above high is not checked") << QStringList{"10", "5", "", ""} << 7.0 << 0 << 0x11;
}

void AlarmLevelsTest::valueAgainstLevelsGivesState() {
    QFETCH(QStringList, levels);
    QFETCH(double, value);
    QFETCH(int, mode);
    QFETCH(int, expected);
    // Through the list, as the panels read it.
    ColumnList columns;
    for (int slot = 0; slot < 4; ++slot) columns.set_alarm(9, slot, levels[slot]);
    columns.set_value(9, value);
    QCOMPARE(alarm_state(columns.record(9), mode), expected);
}

QTEST_GUILESS_MAIN(AlarmLevelsTest)
#include "tst_alarm_levels.moc"
