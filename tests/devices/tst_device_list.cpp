// The sixteen device slots: their fixed addresses, their empty start and the address lookup.
#include <QtTest>

#include "devices/device_list.h"

class DeviceListTest : public QObject {
    Q_OBJECT

  private slots:
    void slotAddress_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("address");
        QTest::newRow("0") << 0 << "0";
        QTest::newRow("9") << 9 << "9";
        QTest::newRow("10") << 10 << "a";
        QTest::newRow("15") << 15 << "f";
        QTest::newRow("35") << 35 << "z";
        QTest::newRow("34") << 34 << "y";
        QTest::newRow("36") << 36 << "z";
        QTest::newRow("-1") << -1 << "z";
    }
    void slotAddress() {
        QFETCH(int, index);
        QFETCH(QString, address);
        QCOMPARE(slot_address(index), address);
    }

    void theSixteenSlotsHaveTheAddressesZeroToNineThenAToF() {
        const DeviceList devices;
        const auto slots_now = devices.snapshot();
        QString addresses;
        for (const idev& dev : slots_now) addresses += dev.address;
        QCOMPARE(addresses, QStringLiteral("0123456789abcdef"));
    }

    void everyOtherFieldStartsEmpty() {
        const DeviceList devices;
        for (int i = 0; i < DeviceList::kSlots; ++i) {
            const idev dev = devices.slot(i);
            QVERIFY(dev.identification.isEmpty());
            QCOMPARE(dev.scanned, 0);
            QVERIFY(dev.definition.isEmpty());
            QVERIFY(dev.description.isEmpty());
            QVERIFY(dev.options.empty());
            QVERIFY(dev.log_entries.empty());
            QCOMPARE(int(dev.start_column), 0);
            QCOMPARE(dev.cells, 0);
            QCOMPARE(int(dev.end_column), 0);
        }
    }

    void aSlotOutsideTheListIsAnEmptyRecord() {
        const DeviceList devices;
        QVERIFY(devices.slot(16).address.isEmpty());
        QVERIFY(devices.slot(-1).address.isEmpty());
    }

    void findAddress_data() {
        QTest::addColumn<QChar>("address");
        QTest::addColumn<int>("slot");
        QTest::newRow("0") << QChar('0') << 0;
        QTest::newRow("3") << QChar('3') << 3;
        QTest::newRow("a") << QChar('a') << 10;
        QTest::newRow("f") << QChar('f') << 15;
        QTest::newRow("upper-case A") << QChar('A') << -1;
        QTest::newRow("g") << QChar('g') << -1;
        QTest::newRow("z") << QChar('z') << -1;
        QTest::newRow("percent") << QChar('%') << -1;
    }
    void findAddress() {
        QFETCH(QChar, address);
        QFETCH(int, slot);
        const DeviceList devices;
        QCOMPARE(devices.find_address(address), slot);
    }

    void updateChangesOneSlotAndIgnoresIndicesOutsideTheList() {
        DeviceList devices;
        devices.update(7, [](idev& d) { d.description = QStringLiteral("seven"); });
        bool called = false;
        devices.update(16, [&](idev&) { called = true; });
        devices.update(-1, [&](idev&) { called = true; });
        QVERIFY(!called);
        QCOMPARE(devices.slot(7).description, QStringLiteral("seven"));
        QVERIFY(devices.slot(6).description.isEmpty());
    }

    void aSnapshotIsACopy() {
        DeviceList devices;
        auto copy = devices.snapshot();
        copy[1].identification = QStringLiteral("changed");
        QVERIFY(devices.slot(1).identification.isEmpty());
    }
};

QTEST_GUILESS_MAIN(DeviceListTest)
#include "tst_device_list.moc"
