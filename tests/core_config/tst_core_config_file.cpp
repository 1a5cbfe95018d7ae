// config.xml: the core's four settings and the sixteen device slots, written to a real file and
// read back, the letters of start columns, defaults, faults, and the demo workspace's file.
#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include "core/core_config.h"
#include "devices/device_list.h"
#include "devices/parse_dev_cfg.h"

namespace {

QByteArray file_text(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

bool write_text(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray config_with(const QByteArray& elements) {
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE CoreConfig>\n<main>\n" + elements + "\n</main>\n";
}

// Fills every slot with something distinct, as after a scan and an association of each address.
void fill_all_slots(DeviceList& devices) {
    for (int i = 0; i < DeviceList::kSlots; ++i) {
        devices.update(i, [i](idev& d) {
            d.identification = QStringLiteral("%1I!%1 13MAKER MODEL%2 \"<&>\r").arg(d.address).arg(i);
            d.definition = QStringLiteral("model%1.xml").arg(i);
            d.start_column = static_cast<std::uint16_t>(3 + i * 17);
        });
    }
}

// The start attribute of the device element with address `addr` in a written file.
QString written_start(const QString& path, const QString& addr) {
    QDomDocument doc;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file)) return QStringLiteral("<unreadable>");
    const QDomNodeList devices = doc.elementsByTagName(QStringLiteral("device"));
    for (int i = 0; i < devices.size(); ++i) {
        const QDomElement e = devices.at(i).toElement();
        if (e.attribute(QStringLiteral("addr")) == addr) return e.attribute(QStringLiteral("start"));
    }
    return QStringLiteral("<none>");
}

}  // namespace

class CoreConfigFileTest : public QObject {
    Q_OBJECT

  private slots:
    void roundTripThroughARealFileKeepsSettingsAndAllSixteenSlots() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("config.xml"));
        CoreSettings written;
        written.port = 7;
        written.interval = 300;
        written.filename = QStringLiteral("run 1 \"a&b\".csv");
        written.comm_mode = 3;
        DeviceList before;
        fill_all_slots(before);
        QCOMPARE(write_core_config(path, written, before), 0);

        CoreSettings read;
        DeviceList after;
        read_core_config(path, read, after);
        QCOMPARE(read.port, 7);
        QCOMPARE(read.interval, 300);
        QCOMPARE(read.filename, written.filename);
        QCOMPARE(read.comm_mode, 3);
        for (int i = 0; i < DeviceList::kSlots; ++i) {
            const idev want = before.slot(i);
            const idev got = after.slot(i);
            QCOMPARE(got.identification, want.identification);
            QVERIFY(got.identification.endsWith('\r'));
            QCOMPARE(got.definition, want.definition);
            QCOMPARE(int(got.start_column), int(want.start_column));
            QCOMPARE(got.scanned, 1);
            QCOMPARE(got.address, want.address);
        }
    }

    void emptySlotsRoundTripAsEmptyAndColumnA() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("config.xml"));
        DeviceList devices;
        QCOMPARE(write_core_config(path, CoreSettings{}, devices), 0);
        QCOMPARE(written_start(path, QStringLiteral("c")), QStringLiteral("A"));
        DeviceList after;
        after.update(4, [](idev& d) { d.definition = QStringLiteral("stale.xml"); });
        CoreSettings settings;
        read_core_config(path, settings, after);
        QVERIFY(after.slot(4).definition.isEmpty());
        QCOMPARE(after.slot(4).scanned, 1);
        QCOMPARE(settings.filename, QStringLiteral("none"));
    }

    void startColumnIsWrittenAsLetters_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("letters");
        QTest::newRow("0") << 0 << "A";
        QTest::newRow("3") << 3 << "D";
        QTest::newRow("25") << 25 << "Z";
        QTest::newRow("26") << 26 << "AA";
        QTest::newRow("52") << 52 << "BA";
        QTest::newRow("254") << 254 << "IU";
    }
    void startColumnIsWrittenAsLetters() {
        QFETCH(int, column);
        QFETCH(QString, letters);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("config.xml"));
        DeviceList devices;
        devices.update(11, [column](idev& d) { d.start_column = static_cast<std::uint16_t>(column); });
        QCOMPARE(write_core_config(path, CoreSettings{}, devices), 0);
        QCOMPARE(written_start(path, QStringLiteral("b")), letters);
        DeviceList after;
        CoreSettings settings;
        read_core_config(path, settings, after);
        QCOMPARE(int(after.slot(11).start_column), column);
    }

    void startLettersAreReadBack_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("column");
        QTest::newRow("D") << "D" << 3;
        QTest::newRow("lower-case d") << "d" << 3;
        QTest::newRow("AA") << "AA" << 26;
        QTest::newRow("lower-case ab") << "ab" << 27;
        QTest::newRow("mixed-case aB") << "aB" << 27;
        QTest::newRow("IU") << "IU" << 254;
        QTest::newRow("MZ") << "MZ" << 363;
        QTest::newRow("NA") << "NA" << 364;
        QTest::newRow("NK") << "NK" << 374;
        QTest::newRow("NL reads N alone") << "NL" << 13;
        QTest::newRow("ZZ reads Z alone") << "ZZ" << 25;
        QTest::newRow("letter then digit") << "C7" << 2;
        QTest::newRow("three letters") << "ABC" << 27;
        QTest::newRow("digit") << "3" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("blank first") << " D" << 0;
        QTest::newRow("non-ASCII letter") << QString(QChar(0xE9)) << 0;
    }
    void startLettersAreReadBack() {
        QFETCH(QString, start);
        QFETCH(int, column);
        DeviceList devices;
        devices.update(3, [](idev& d) { d.start_column = 99; });
        CoreSettings settings;
        QString element =
            QStringLiteral("<device addr=\"3\" id=\"x\" config=\"y.xml\" start=\"%1\"/>").arg(start);
        read_core_config_text(config_with(element.toUtf8()), settings, devices);
        QCOMPARE(int(devices.slot(3).start_column), column);
    }

    void missingFileKeepsDefaultsAndSlots() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CoreSettings settings;
        DeviceList devices;
        read_core_config(dir.filePath(QStringLiteral("absent.xml")), settings, devices);
        QCOMPARE(settings.port, 2);
        QCOMPARE(settings.interval, 60);
        QCOMPARE(settings.filename, QStringLiteral("none"));
        QCOMPARE(settings.comm_mode, 0);
        for (const idev& dev : devices.snapshot()) QCOMPARE(dev.scanned, 0);
    }

    void emptyOrAbsentAttributesKeepWhatWasThere_data() {
        QTest::addColumn<QByteArray>("element");
        QTest::newRow("empty") << QByteArray(
            "<config PortNo=\"\" LogInterval=\"\" Filename=\"\" CommMode=\"\"/>");
        QTest::newRow("absent") << QByteArray("<config/>");
        QTest::newRow("other case") << QByteArray(
            "<config portno=\"9\" loginterval=\"9\" filename=\"x\" commmode=\"1\"/>");
    }
    void emptyOrAbsentAttributesKeepWhatWasThere() {
        QFETCH(QByteArray, element);
        CoreSettings defaults;
        DeviceList fresh;
        read_core_config_text(config_with(element), defaults, fresh);
        QCOMPARE(defaults.port, 2);
        QCOMPARE(defaults.interval, 60);
        QCOMPARE(defaults.filename, QStringLiteral("none"));
        QCOMPARE(defaults.comm_mode, 0);

        CoreSettings earlier;
        earlier.port = 5;
        earlier.interval = 10;
        earlier.filename = QStringLiteral("old.csv");
        earlier.comm_mode = 1;
        DeviceList devices;
        read_core_config_text(config_with(element), earlier, devices);
        QCOMPARE(earlier.port, 5);
        QCOMPARE(earlier.interval, 10);
        QCOMPARE(earlier.filename, QStringLiteral("old.csv"));
        QCOMPARE(earlier.comm_mode, 1);
    }

    void numbersAreReadAsDecimal_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "12" << 12;
        QTest::newRow("letters") << "x" << 0;
        QTest::newRow("number then unit") << "5s" << 0;
        QTest::newRow("hexadecimal") << "0x10" << 0;
        QTest::newRow("leading zero is not octal") << "010" << 10;
        QTest::newRow("negative kept as read") << "-5" << -5;
        QTest::newRow("beyond int") << "4294967296" << 0;
    }
    void numbersAreReadAsDecimal() {
        QFETCH(QString, text);
        QFETCH(int, value);
        CoreSettings settings;
        DeviceList devices;
        const QString element =
            QStringLiteral("<config PortNo=\"%1\" LogInterval=\"%1\" Filename=\"f.csv\"/>").arg(text);
        read_core_config_text(config_with(element.toUtf8()), settings, devices);
        QCOMPARE(settings.port, value);
        QCOMPARE(settings.interval, value);
        QCOMPARE(settings.filename, QStringLiteral("f.csv"));
    }

    void aModeOutsideZeroToThreeReadsAsZeroAndIsSaid_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("said");
        QTest::newRow("File Remote") << "3" << 3 << false;
        QTest::newRow("SDI-12") << "0" << 0 << false;
        QTest::newRow("past the list") << "7" << 0 << true;
        QTest::newRow("negative") << "-1" << 0 << true;
    }
    void aModeOutsideZeroToThreeReadsAsZeroAndIsSaid() {
        QFETCH(QString, text);
        QFETCH(int, mode);
        QFETCH(bool, said);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("config.xml"));
        QVERIFY(write_text(path, config_with("<config CommMode=\"" + text.toUtf8() + "\"/>")));
        CoreSettings settings;
        settings.comm_mode = 2;
        DeviceList devices;
        const QString notes = read_core_config(path, settings, devices);
        QCOMPARE(settings.comm_mode, mode);
        QCOMPARE(notes.contains(QStringLiteral("CommMode %1 in config.xml is not a mode").arg(text)), said);
        QVERIFY(write_core_config(path, settings, devices) == 0);
        QVERIFY(file_text(path).contains("CommMode=\"" + QByteArray::number(mode) + "\""));
    }

    void anIntervalThatIsNotListedIsKeptAndSaid_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("said");
        QTest::newRow("45 s") << 45 << true;
        QTest::newRow("2 hours") << 7200 << true;
        QTest::newRow("listed") << 900 << false;
    }
    void anIntervalThatIsNotListedIsKeptAndSaid() {
        QFETCH(int, seconds);
        QFETCH(bool, said);
        CoreSettings settings;
        DeviceList devices;
        const QString notes = read_core_config_text(
            config_with("<config LogInterval=\"" + QByteArray::number(seconds) + "\"/>"), settings, devices);
        QCOMPARE(settings.interval, seconds);
        QCOMPARE(notes.contains(
                     QStringLiteral(
                         "LogInterval %1 s in config.xml is not one of the listed intervals: it is kept")
                         .arg(seconds)),
                 said);
    }

    void fileNameLongerThanTheCoresBufferIsRefused_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("255") << 255 << true;
        QTest::newRow("256") << 256 << false;
        QTest::newRow("10000") << 10000 << false;
    }
    void fileNameLongerThanTheCoresBufferIsRefused() {
        QFETCH(int, length);
        QFETCH(bool, accepted);
        const QString name = QString(length - 4, QLatin1Char('n')) + QStringLiteral(".csv");
        CoreSettings settings;
        settings.filename = QStringLiteral("previous.csv");
        DeviceList devices;
        read_core_config_text(config_with("<config Filename=\"" + name.toUtf8() + "\" PortNo=\"4\"/>"),
                              settings, devices);
        QCOMPARE(settings.filename, accepted ? name : QStringLiteral("previous.csv"));
        QCOMPARE(settings.port, 4);
    }

    void deviceElementsWithoutASlotAreIgnored_data() {
        QTest::addColumn<QString>("addr");
        QTest::newRow("g") << "g";
        QTest::newRow("upper-case A") << "A";
        QTest::newRow("empty") << "";
        QTest::newRow("two characters") << "01";
        QTest::newRow("absent") << QString();
    }
    void deviceElementsWithoutASlotAreIgnored() {
        QFETCH(QString, addr);
        const QByteArray attribute = addr.isNull() ? QByteArray() : "addr=\"" + addr.toUtf8() + "\" ";
        CoreSettings settings;
        DeviceList devices;
        read_core_config_text(config_with("<device " + attribute + "id=\"x\" config=\"y.xml\" start=\"D\"/>"),
                              settings, devices);
        for (const idev& dev : devices.snapshot()) {
            QCOMPARE(dev.scanned, 0);
            QVERIFY(dev.identification.isEmpty());
        }
    }

    void deviceElementRestoresItsSlotAndLeavesTheRestAlone() {
        CoreSettings settings;
        DeviceList devices;
        devices.update(5, [](idev& d) {
            d.description = QStringLiteral("from the definition");
            d.cells = 3;
        });
        read_core_config_text(
            config_with("<x><device addr=\"5\" id=\"5I!513ID&#xd;\" config=\"d.xml\" start=\"G\"/></x>"),
            settings, devices);
        const idev dev = devices.slot(5);
        QCOMPARE(dev.identification, QStringLiteral("5I!513ID\r"));
        QCOMPARE(dev.definition, QStringLiteral("d.xml"));
        QCOMPARE(int(dev.start_column), 6);
        QCOMPARE(dev.scanned, 1);
        QCOMPARE(dev.description, QStringLiteral("from the definition"));
        QCOMPARE(dev.cells, 3);
        QCOMPARE(devices.slot(4).scanned, 0);
    }

    void aStoppedParseKeepsWhatCameBefore() {
        CoreSettings settings;
        DeviceList devices;
        read_core_config_text(config_with("<config PortNo=\"9\" LogInterval=\"30\"/>"
                                          "<device addr=\"0\" id=\"zero\" config=\"z.xml\" start=\"D\"/>"
                                          "<device addr=\"1\" id=\"one\" config=\"o.xml\" start=\"F\"/>"
                                          "<broken attr=oops/>"
                                          "<device addr=\"2\" id=\"two\" config=\"t.xml\" start=\"H\"/>"
                                          "<config CommMode=\"2\"/>"),
                              settings, devices);
        QCOMPARE(settings.port, 9);
        QCOMPARE(settings.interval, 30);
        QCOMPARE(settings.comm_mode, 0);
        QCOMPARE(devices.slot(0).identification, QStringLiteral("zero"));
        QCOMPARE(int(devices.slot(1).start_column), 5);
        QCOMPARE(devices.slot(2).scanned, 0);
        QVERIFY(devices.slot(2).identification.isEmpty());
    }

    void writingIntoAMissingFolderReturnsMinusOne() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("no such folder/config.xml"));
        DeviceList devices;
        QCOMPARE(write_core_config(path, CoreSettings{}, devices), -1);
        QVERIFY(!QFile::exists(path));
    }

    void writingReplacesTheWholeFileAndLeavesNoTemporaryBehind() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("config.xml"));
        QVERIFY(write_text(path, QByteArray(100000, 'x')));
        DeviceList devices;
        QCOMPARE(write_core_config(path, CoreSettings{}, devices), 0);
        const QByteArray text = file_text(path);
        QVERIFY(!text.contains('x' + QByteArray(10, 'x')));
        QVERIFY(text.trimmed().endsWith("</main>"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"config.xml"});
    }

    void writtenDocumentHasTheFileLayout() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("config.xml"));
        DeviceList devices;
        CoreSettings settings;
        settings.filename = QStringLiteral("demo.csv");
        QCOMPARE(write_core_config(path, settings, devices), 0);
        const QByteArray text = file_text(path);
        const QList<QByteArray> lines = text.split('\n');
        QVERIFY(lines.value(0).startsWith("<?xml version=\"1.0\""));
        QCOMPARE(lines.value(1), QByteArray("<!DOCTYPE CoreConfig>"));
        QCOMPARE(lines.value(2), QByteArray("<main>"));
        QVERIFY(lines.value(3).startsWith(" <config "));
        for (int i = 0; i < DeviceList::kSlots; ++i) QVERIFY(lines.value(4 + i).startsWith(" <device "));
        QCOMPARE(lines.value(20), QByteArray("</main>"));

        // Element order: one config, then the sixteen devices in address order.
        QXmlStreamReader xml(text);
        QStringList order;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == QLatin1String("device"))
                order << a.value(QLatin1String("addr")).toString();
            else if (xml.name() == QLatin1String("config"))
                order << QStringLiteral("config:%1,%2,%3,%4")
                             .arg(a.value(QLatin1String("PortNo")), a.value(QLatin1String("LogInterval")),
                                  a.value(QLatin1String("Filename")), a.value(QLatin1String("CommMode")));
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(order.join(' '), QStringLiteral("config:2,60,demo.csv,0 0 1 2 3 4 5 6 7 8 9 a b c d e f"));
    }

    void demoWorkspaceConfigurationReadsAsTheDemoSensors() {
        CoreSettings settings;
        DeviceList devices;
        read_core_config(QStringLiteral(VELD_DEMO_WORKSPACE "Config/config.xml"), settings, devices);
        QCOMPARE(settings.port, 2);
        QCOMPARE(settings.interval, 5);
        QCOMPARE(settings.filename, QStringLiteral("demo.csv"));
        QCOMPARE(settings.comm_mode, 0);
        QCOMPARE(devices.slot(0).identification, QStringLiteral("0I!013VELDINSTTH100 100SN0001\r"));
        QCOMPARE(devices.slot(1).identification, QStringLiteral("1I!113VELDINSTRAIN10100SN0002\r"));
        QCOMPARE(devices.slot(3).identification, QStringLiteral("3I!313VELDINSTWIND20100SN0003\r"));
        QCOMPARE(int(devices.slot(0).start_column), 3);
        QCOMPARE(int(devices.slot(1).start_column), 5);
        QCOMPARE(int(devices.slot(3).start_column), 8);
        for (const idev& dev : devices.snapshot()) QCOMPARE(dev.scanned, 1);
    }

    // The demo's definitions, association list and configuration must fit: each configured slot's
    // definition exists, is the one its identification is associated with, and its cells end
    // before the next device's start column.
    void demoWorkspaceFilesFitTogether() {
        CoreSettings settings;
        DeviceList devices;
        read_core_config(QStringLiteral(VELD_DEMO_WORKSPACE "Config/config.xml"), settings, devices);
        parse_dev_cfg::load_all(devices, QStringLiteral(VELD_DEMO_WORKSPACE "Devices/"));

        QXmlStreamReader assoc(file_text(QStringLiteral(VELD_DEMO_WORKSPACE "Devices/devassoc.xml")));
        QList<QPair<QString, QString>> entries;  // id, file
        while (!assoc.atEnd()) {
            if (assoc.readNext() == QXmlStreamReader::StartElement && assoc.name() == QLatin1String("assoc"))
                entries << qMakePair(assoc.attributes().value(QLatin1String("id")).toString(),
                                     assoc.attributes().value(QLatin1String("file")).toString());
        }
        QVERIFY(!assoc.hasError());
        QCOMPARE(entries.size(), 3);

        int next_free = 3;
        int configured = 0;
        for (const idev& dev : devices.snapshot()) {
            if (dev.definition.isEmpty()) continue;
            ++configured;
            QVERIFY2(dev.cells > 0, qPrintable(dev.definition));
            QVERIFY2(int(dev.start_column) >= next_free, qPrintable(dev.definition));
            next_free = dev.start_column + dev.cells;
            QStringList fitting;
            for (const auto& entry : entries)
                if (dev.identification.contains(entry.first)) fitting << entry.second;
            QCOMPARE(fitting, QStringList{dev.definition});
        }
        QCOMPARE(configured, 3);
        QCOMPARE(next_free, 10);  // D..J hold the seven demo values
    }
};

QTEST_GUILESS_MAIN(CoreConfigFileTest)
#include "tst_core_config_file.moc"
