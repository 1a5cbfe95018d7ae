// The association list: reading devassoc.xml, which entries fit an identification, which one is
// selected, and the start-column letters the Device Setup dialog reads back.
#include <QtTest>

#include "devices/device_association.h"

class DeviceAssociationTest : public QObject {
    Q_OBJECT
  private slots:
    void entriesAreReadWhereverTheyStandUpToAFault() {
        const auto entries = device_association::read(
            "<?xml version=\"1.0\"?><main><assoc id=\"TH100\" file=\"th.xml\" name=\"Temp\"/>"
            "<group><assoc file=\"any.xml\" name=\"Any\"/></group><other id=\"x\"/>"
            "<assoc id=\"W\" file=\"w.xml\" name=\"Wind\"/><broken <assoc id=\"late\"/></main>");
        QCOMPARE(int(entries.size()), 3);
        QCOMPARE(entries[0].id, QStringLiteral("TH100"));
        QCOMPARE(entries[1].id, QString());
        QCOMPARE(entries[1].file, QStringLiteral("any.xml"));
        QCOMPARE(entries[2].name, QStringLiteral("Wind"));
    }

    void fittingIsACaseSensitiveSubstringAndEmptyFitsAll_data() {
        QTest::addColumn<QString>("identification");
        QTest::addColumn<QStringList>("fitting");
        QTest::newRow("substring") << "0I!013VELDINSTTH100 100SN0001"
                                   << QStringList{"Temp", "Any", "Temp again"};
        QTest::newRow("other case") << "0I!013veldinstth100" << QStringList{"Any"};
        QTest::newRow("empty identification") << "" << QStringList{"Any"};
    }
    void fittingIsACaseSensitiveSubstringAndEmptyFitsAll() {
        QFETCH(QString, identification);
        QFETCH(QStringList, fitting);
        const std::vector<assoc_entry> all{{"TH100", "th.xml", "Temp"},
                                           {"", "any.xml", "Any"},
                                           {"WIND", "w.xml", "Wind"},
                                           {"TH100", "th.xml", "Temp again"}};
        QStringList names;
        for (const auto& e : device_association::fitting(all, identification)) names << e.name;
        QCOMPARE(names, fitting);
    }

    void theLastEntryWithTheSlotsDefinitionIsSelected() {
        const std::vector<assoc_entry> fit{{"", "a.xml", "A"}, {"", "b.xml", "B"}, {"", "a.xml", "A2"}};
        QCOMPARE(device_association::selected_position(fit, QStringLiteral("a.xml")), 2);
        QCOMPARE(device_association::selected_position(fit, QStringLiteral("b.xml")), 1);
        QCOMPARE(device_association::selected_position(fit, QStringLiteral("c.xml")), -1);
    }

    void autoAssignTakesTheFirstFittingDefinition_data() {
        QTest::addColumn<QString>("identification");
        QTest::addColumn<QString>("definition");
        QTest::newRow("first that fits") << "0I!013VELDWIND20"
                                         << "w.xml";
        QTest::newRow("an empty id fits") << "0I!013VELDRAIN"
                                          << "any.xml";
    }
    void autoAssignTakesTheFirstFittingDefinition() {
        QFETCH(QString, identification);
        QFETCH(QString, definition);
        const std::vector<assoc_entry> all{
            {"TH", "th.xml", "Temp"}, {"WIND", "w.xml", "Wind"}, {"", "any.xml", "Any"}};
        QCOMPARE(device_association::default_definition(all, identification), definition);
        QCOMPARE(device_association::default_definition({{"TH", "th.xml", "Temp"}}, identification),
                 QString());
    }

    // Slot 0 takes D..G, slot 2 takes H..I, slot 5 starts at U but has no cells.
    static std::vector<idev> three_slots() {
        std::vector<idev> devices(16);
        devices[0].start_column = 3;
        devices[0].cells = 4;
        devices[2].start_column = 7;
        devices[2].cells = 2;
        devices[5].start_column = 20;
        return devices;
    }

    void rangesThatShareAColumnOverlap_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("other");
        QTest::newRow("last column shared") << 1 << 6 << 4 << 0;  // G..J meets D..G
        QTest::newRow("right after") << 1 << 9 << 3 << -1;
        QTest::newRow("inside another") << 1 << 8 << 1 << 2;
        QTest::newRow("its own columns") << 0 << 3 << 4 << -1;
        QTest::newRow("no cells still takes its start") << 1 << 7 << 0 << 2;
        QTest::newRow("a slot without cells takes none") << 1 << 20 << 1 << -1;
    }
    void rangesThatShareAColumnOverlap() {
        QFETCH(int, slot);
        QFETCH(int, start);
        QFETCH(int, cells);
        QFETCH(int, other);
        QCOMPARE(device_association::overlapping_slot(three_slots(), slot, start, cells), other);
    }

    void theNextFreeColumnIsTheFirstPlaceFromDWhereTheCellsFit_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("column");
        QTest::newRow("after the others") << 1 << 3 << 9;
        QTest::newRow("its own place again") << 0 << 4 << 3;
        QTest::newRow("no cells take one") << 1 << 0 << 9;
        QTest::newRow("none left") << 1 << 250 << -1;
    }
    void theNextFreeColumnIsTheFirstPlaceFromDWhereTheCellsFit() {
        QFETCH(int, slot);
        QFETCH(int, cells);
        QFETCH(int, column);
        QCOMPARE(device_association::next_free_column(three_slots(), slot, cells), column);
    }

    void startColumnLettersReadBack_data() {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<int>("column");
        QTest::newRow("C") << "C" << 2;
        QTest::newRow("AA") << "AA" << 26;
        QTest::newRow("IU") << "IU" << 254;
        QTest::newRow("NK") << "NK" << 374;
        QTest::newRow("NL reads N") << "NL" << 13;
        QTest::newRow("lower case") << "ab" << 27;
        QTest::newRow("not a letter") << "5" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void startColumnLettersReadBack() {
        QFETCH(QString, letters);
        QFETCH(int, column);
        QCOMPARE(device_association::start_column_of(letters), column);
    }
};

QTEST_GUILESS_MAIN(DeviceAssociationTest)
#include "tst_device_association.moc"
