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
