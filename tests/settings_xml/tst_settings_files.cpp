// Every settings file as it may be found in a workspace: a regular file or a link to one is read,
// a missing one leaves the defaults without a word, and anything else (a FIFO, a directory, an
// empty or garbled file) is said with the file's name, the reason and the defaults used. Nothing
// ever waits on a FIFO, neither a reader nor a writer.
#include <sys/stat.h>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "core/core_config.h"
#include "core/sdi12_core.h"
#include "devices/device_association.h"
#include "devices/device_list.h"
#include "devices/parse_dev_cfg.h"
#include "link/memory_serial_link.h"
#include "remote/dialout_settings.h"
#include "remote/remotelogger_core.h"
#include "station/station.h"
#include "variables/column_list.h"
#include "variables/varlist_file.h"

namespace {

// What a reader made of a file: the line it would say, and the state it left, as text.
struct Reading {
    QString said;
    QString state;
};
using Reader = std::function<Reading(const QString& path)>;

// One settings file: where it lives, a whole and a garbled text, what each leaves, and the
// words that name its defaults.
struct SettingsKind {
    QString name;  // as shown: "Config/config.xml"
    QByteArray whole;
    QByteArray garbled;  // a fault on line 2, after something that reads
    QString whole_state, garbled_state, default_state;
    QString defaults_named;
    Reader read;
};

QString slot0(const DeviceList& devices) {
    return devices.slot(0).definition;
}

std::vector<SettingsKind> settings_kinds() {
    std::vector<SettingsKind> kinds;
    kinds.push_back(
        {QStringLiteral("Config/config.xml"),
         "<main><config PortNo=\"7\" LogInterval=\"30\"/>\n<device addr=\"0\" config=\"d.xml\"/></main>",
         "<main><config PortNo=\"7\" LogInterval=\"30\"/>\n<device addr=0/></main>",
         QStringLiteral("7 30 d.xml"), QStringLiteral("7 30 "), QStringLiteral("2 60 "),
         QStringLiteral("the default settings (port 2, logging interval 60 s, log file \"none\", "
                        "mode 0) and no devices"),
         [](const QString& path) {
             CoreSettings settings;
             DeviceList devices;
             const QString said = read_core_config(path, settings, devices);
             return Reading{
                 said,
                 QStringLiteral("%1 %2 %3").arg(settings.port).arg(settings.interval).arg(slot0(devices))};
         }});
    kinds.push_back({QStringLiteral("Config/varlist.xml"),
                     "<config><var col=\"D\" name=\"Rain\"/>\n<var col=\"E\" name=\"Wind\"/></config>",
                     "<config><var col=\"D\" name=\"Rain\"/>\n<var col=\"E\" name=Wind/></config>",
                     QStringLiteral("Rain Wind"), QStringLiteral("Rain "), QStringLiteral(" "),
                     QStringLiteral("the default column texts"), [](const QString& path) {
                         ColumnList columns;
                         columns.reset_columns(ColumnList::kDefaultCount);
                         QString said;
                         read_varlist(columns, path, &said);
                         return Reading{said, columns.name(3) + QLatin1Char(' ') + columns.name(4)};
                     }});
    // Nothing of the garbled file reads: every setting is named with the default it keeps.
    kinds.push_back(
        {QStringLiteral("Config/gsmdialout.xml"),
         "<config type=\"2\" days=\"0100000\"\n time0=\"08:00:00\" comport=\"3\"/>",
         "<config type=\"2\" days=\"0100000\"\n time0=08:00:00 comport=\"3\"/>",
         QStringLiteral("2 0100000 08:00:00 3"), QStringLiteral("3 1000000 12:00:00 5"),
         QStringLiteral("3 1000000 12:00:00 5"),
         QStringLiteral("the defaults type=\"3\" days=\"1000000\" time0=\"12:00:00\" time1=\"12:00:00\" "
                        "comport=\"5\" columns=\"40\" record=\"0\" dial=\"555 555555\""),
         [](const QString& path) {
             DialoutSettings s;
             const QString said = read_dialout_settings(path, s);
             QString days;
             for (const bool d : s.days) days += d ? QLatin1Char('1') : QLatin1Char('0');
             return Reading{said, QStringLiteral("%1 %2 %3 %4")
                                      .arg(s.type)
                                      .arg(days, s.time0.toString(QStringLiteral("hh:mm:ss")))
                                      .arg(s.comport)};
         }});
    kinds.push_back(
        {QStringLiteral("Devices/d.xml"),
         "<device><main description=\"Rain\" cells=\"2\"/>\n<log cmd=\"aM!\" cell=\"0\"/></device>",
         "<device><main description=\"Rain\" cells=\"2\"/>\n<log cmd=aM!/></device>",
         QStringLiteral("Rain 2 1"), QStringLiteral("Rain 2 0"), QStringLiteral(" 0 0"),
         QStringLiteral("no options and no logging entries"), [](const QString& path) {
             idev dev;
             dev.address = QStringLiteral("0");
             const QFileInfo file(path);
             dev.definition = file.fileName();
             const QString said = parse_dev_cfg::load(dev, file.path() + QLatin1Char('/'));
             return Reading{
                 said,
                 QStringLiteral("%1 %2 %3").arg(dev.description).arg(dev.cells).arg(dev.log_entries.size())};
         }});
    kinds.push_back({QStringLiteral("Devices/devassoc.xml"),
                     "<list><assoc id=\"A\" file=\"a.xml\" name=\"Alpha\"/>\n<assoc file=\"b.xml\" "
                     "name=\"Beta\"/></list>",
                     "<list><assoc id=\"A\" file=\"a.xml\" name=\"Alpha\"/>\n<assoc name=Beta/></list>",
                     QStringLiteral("Alpha Beta"), QStringLiteral("Alpha"), QString(),
                     QStringLiteral("no association entries"), [](const QString& path) {
                         std::vector<assoc_entry> entries;
                         const QString said = device_association::read_file(path, entries);
                         QStringList names;
                         for (const assoc_entry& e : entries) names << e.name;
                         return Reading{said, names.join(QLatin1Char(' '))};
                     }});
    return kinds;
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

void make_fifo(const QString& path) {
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
}

// The ways a settings file can be found, each making it at `path` (beside it: `spare`).
enum class Found { kRegular, kLink, kMissing, kFifo, kLinkToFifo, kDirectory, kEmpty, kGarbled };

void make(Found found, const SettingsKind& kind, const QString& path) {
    const QString spare = path + QStringLiteral(".target");
    switch (found) {
        case Found::kRegular:
            return write_file(path, kind.whole);
        case Found::kLink:
            write_file(spare, kind.whole);
            QVERIFY(QFile::link(spare, path));
            return;
        case Found::kMissing:
            return;
        case Found::kFifo:
            return make_fifo(path);
        case Found::kLinkToFifo:
            make_fifo(spare);
            QVERIFY(QFile::link(spare, path));
            return;
        case Found::kDirectory:
            QVERIFY(QDir().mkpath(path));
            return;
        case Found::kEmpty:
            return write_file(path, QByteArray());
        case Found::kGarbled:
            return write_file(path, kind.garbled);
    }
}

// Writes a settings file at a path; true when it did.
using Writer = std::function<bool(const QString&)>;

}  // namespace

Q_DECLARE_METATYPE(Found)
Q_DECLARE_METATYPE(Writer)

class SettingsFilesTest : public QObject {
    Q_OBJECT
  private slots:
    void aSettingsFileIsReadWhenRegularAndOtherwiseSaidWithTheDefaultsUsed_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<Found>("found");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("said");  // the parts of what is said, in order; none: silence
        const std::vector<SettingsKind> kinds = settings_kinds();
        for (int k = 0; k < int(kinds.size()); ++k) {
            const SettingsKind& kind = kinds[k];
            const QString using_defaults = QStringLiteral("using ") + kind.defaults_named;
            const auto row = [&](const char* what) {
                return &QTest::newRow(qPrintable(kind.name + QLatin1Char(' ') + QLatin1String(what)));
            };
            *row("regular: read") << k << Found::kRegular << kind.whole_state << QStringList();
            *row("link to a regular file: read") << k << Found::kLink << kind.whole_state << QStringList();
            *row("missing: defaults, nothing said")
                << k << Found::kMissing << kind.default_state << QStringList();
            *row("FIFO: said, defaults")
                << k << Found::kFifo << kind.default_state
                << QStringList{kind.name + QStringLiteral(": not a regular file (a FIFO)"), using_defaults};
            *row("link to a FIFO: said, defaults")
                << k << Found::kLinkToFifo << kind.default_state
                << QStringList{kind.name + QStringLiteral(": not a regular file (a FIFO)"), using_defaults};
            *row("directory: said, defaults")
                << k << Found::kDirectory << kind.default_state
                << QStringList{kind.name + QStringLiteral(": not a regular file (a directory)"),
                               using_defaults};
            *row("empty: said, defaults")
                << k << Found::kEmpty << kind.default_state
                << QStringList{kind.name + QStringLiteral(": the file is empty"), using_defaults};
            *row("garbled: said where, what came before kept")
                << k << Found::kGarbled << kind.garbled_state
                << QStringList{kind.name + QStringLiteral(" line 2, column "),
                               QStringLiteral(": keeping what was read before it, for the rest using ") +
                                   kind.defaults_named};
        }
    }
    void aSettingsFileIsReadWhenRegularAndOtherwiseSaidWithTheDefaultsUsed() {
        QFETCH(int, kind);
        QFETCH(Found, found);
        QFETCH(QString, state);
        QFETCH(QStringList, said);
        const SettingsKind settings = settings_kinds()[kind];
        QTemporaryDir dir;
        const QString path = dir.filePath(settings.name);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        make(found, settings, path);

        const Reading reading = settings.read(path);
        QCOMPARE(reading.state, state);
        if (said.isEmpty()) QCOMPARE(reading.said, QString());
        int from = 0;
        for (const QString& part : said) {
            const int at = reading.said.indexOf(part, from);
            if (at < 0) qWarning() << "said:" << reading.said;
            QVERIFY2(at >= 0, qPrintable(part));
            from = at + part.size();
        }
    }

    void aGarbledDialoutFileNamesOnlyTheSettingsItDidNotGive() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("gsmdialout.xml"));
        write_file(path,
                   "<main><config type=\"1\" days=\"0000011\" time0=\"06:30:00\" time1=\"18:30:00\" "
                   "comport=\"4\" columns=\"12\" record=\"9\"/>\n<config dial=555/></main>");
        DialoutSettings settings;
        const QString said = read_dialout_settings(path, settings);
        QCOMPARE(settings.time0, QTime(6, 30));
        QVERIFY2(said.endsWith(QStringLiteral(": keeping what was read before it, for the rest using the "
                                              "defaults dial=\"555 555555\"")),
                 qPrintable(said));
    }

    void writersReplaceAFifoPlantedInPlaceOfTheirFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Writer>("write");
        QTest::newRow("config.xml") << QStringLiteral("config.xml") << Writer([](const QString& path) {
            return write_core_config(path, CoreSettings(), DeviceList()) == 0;
        });
        QTest::newRow("varlist.xml") << QStringLiteral("varlist.xml") << Writer([](const QString& path) {
            ColumnList columns;
            columns.reset_columns(ColumnList::kDefaultCount);
            return write_varlist(columns, path) == 0;
        });
        QTest::newRow("gsmdialout.xml")
            << QStringLiteral("gsmdialout.xml")
            << Writer([](const QString& path) { return write_dialout_settings(path, DialoutSettings()); });
    }
    void writersReplaceAFifoPlantedInPlaceOfTheirFile() {
        QFETCH(QString, name);
        QFETCH(Writer, write);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        make_fifo(path);
        QVERIFY(write(path));
        QVERIFY(QFileInfo(path).isFile());
    }

    void theStationSaysOnItsConsoleEachSettingsFileItCouldNotRead() {
        QTemporaryDir dir;
        const QString root = dir.path() + QStringLiteral("/");
        for (const char* folder : {"Config", "Devices"}) QVERIFY(QDir().mkpath(root + QLatin1String(folder)));
        write_file(root + QStringLiteral("Config/config.xml"),
                   "<main><device addr=\"3\" id=\"3I!\" config=\"th.xml\" start=\"D\"/></main>");
        make_fifo(root + QStringLiteral("Config/varlist.xml"));
        make_fifo(root + QStringLiteral("Config/gsmdialout.xml"));
        make_fifo(root + QStringLiteral("Devices/th.xml"));
        ManualClock clock;
        MemorySerialLink link(clock);
        Station station(link, clock, root);
        QString console;
        const auto keep = [&](const QString& text) { console += text; };
        QObject::connect(&station.console(), &StationConsole::printline, keep);
        station.load_variable_list();
        station.load_core_settings();
        station.load_device_definitions();
        QCoreApplication::sendPostedEvents();
        for (const char* name : {"Config/varlist.xml", "Config/gsmdialout.xml", "Address 3: Devices/th.xml"})
            QVERIFY2(console.contains(QLatin1String(name) + QStringLiteral(": not a regular file (a FIFO)")),
                     qPrintable(console));
        QVERIFY(!console.contains(QStringLiteral("config.xml")));
    }
};

QTEST_GUILESS_MAIN(SettingsFilesTest)
#include "tst_settings_files.moc"
