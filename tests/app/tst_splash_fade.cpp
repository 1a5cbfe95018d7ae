// The splash screen's fade over the start-up ticks.

#include <QtTest>

#include "app/splash_fade.h"

class SplashFadeTest : public QObject {
    Q_OBJECT
  private slots:
    void opacityFallsByATenthFromTick21To30_data() {
        QTest::addColumn<int>("tick");
        QTest::addColumn<double>("opacity");
        // 0.9 on tick 21 down to 0.0 on tick 30, written out as the user sees them.
        const double expected[] = {0.9, 0.8, 0.7, 0.6, 0.5, 0.4, 0.3, 0.2, 0.1, 0.0};
        for (int i = 0; i < 10; ++i) QTest::addRow("tick %d", 21 + i) << 21 + i << expected[i];
    }
    void opacityFallsByATenthFromTick21To30() {
        QFETCH(int, tick);
        QFETCH(double, opacity);
        const auto got = splash_fade::opacity_at(tick);
        QVERIFY(got.has_value());
        QVERIFY2(qAbs(*got - opacity) < 1e-12, qPrintable(QString::number(*got)));
    }

    void opacityIsLeftAloneOutsideTheFade_data() {
        QTest::addColumn<int>("tick");
        for (int tick : {0, 1, 2, 10, 20, 31, 32, 1000}) QTest::addRow("tick %d", tick) << tick;
    }
    void opacityIsLeftAloneOutsideTheFade() {
        QFETCH(int, tick);
        QVERIFY(!splash_fade::opacity_at(tick).has_value());
    }

    void theSequenceNeverRisesAndEndsInvisible() {
        double last = 1.0;
        for (int tick = 21; tick <= 30; ++tick) {
            const double now = *splash_fade::opacity_at(tick);
            QVERIFY(now < last);
            last = now;
        }
        QCOMPARE(last, 0.0);
    }

    void splashFinishesOnTick30Only() {
        for (int tick = 0; tick < 100; ++tick) QCOMPARE(splash_fade::finishes_at(tick), tick == 30);
    }
};

QTEST_APPLESS_MAIN(SplashFadeTest)
#include "tst_splash_fade.moc"
