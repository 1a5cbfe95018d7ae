// Device definition files read into device slots: elements by name wherever they stand, options
// with their select lists, logging entries, reloads, faults, what is not part of a definition
// (said with file and line) and the demo definitions.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "devices/device_list.h"
#include "devices/parse_dev_cfg.h"

namespace {

idev loaded_from(const QByteArray& xml, idev dev = idev{}) {
    parse_dev_cfg::load_from_text(dev, xml);
    return dev;
}

void write_file(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(text), text.size());
}

QStringList log_commands(const idev& dev) {
    QStringList commands;
    for (const log_entry& entry : dev.log_entries) commands << entry.cmd;
    return commands;
}

QStringList option_descriptions(const idev& dev) {
    QStringList names;
    for (const dev_opt& option : dev.options) names << option.description;
    return names;
}

// A slot that already carries a loaded definition, to see what a later load keeps.
idev slot_with_previous_load() {
    idev dev;
    dev.address = QStringLiteral("4");
    dev.description = QStringLiteral("old sensor");
    dev.cells = 5;
    dev.options.resize(2);
    dev.log_entries.resize(3);
    return dev;
}

const QByteArray kTwoOptionsTwoLogs =
    "<device>"
    "<main description=\"Probe\" cells=\"2\"/>"
    "<log cell=\"0\" cmd=\"aM!\"/>"
    "<log title=\"T\" cmd=\"aD0!\"/>"
    "<option description=\"Avg\" read=\"aXRAVG!\" write=\"aXWAVG=#!\" type=\"FLOAT\"/>"
    "<option description=\"SN\" read=\"aXRSN!\" type=\"LABEL\"/>"
    "</device>";

}  // namespace

class DeviceDefinitionReaderTest : public QObject {
    Q_OBJECT

  private slots:
    void elementsAreRecognisedByNameWhereverTheyStand_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("flat under a root") << QByteArray(
            "<device><main description=\"D\" cells=\"3\"/><option description=\"o\"/>"
            "<log cmd=\"aM!\"/><log cmd=\"aD0!\"/></device>");
        QTest::newRow("deep in unknown wrappers") << QByteArray(
            "<x><y><z><main description=\"D\" cells=\"3\"/></z></y><q><option description=\"o\"/>"
            "<r><log cmd=\"aM!\"/></r></q><log cmd=\"aD0!\"/></x>");
        QTest::newRow("main as the root around the rest") << QByteArray(
            "<main description=\"D\" cells=\"3\"><option description=\"o\"><log cmd=\"aM!\"/></option>"
            "<log cmd=\"aD0!\"/></main>");
        QTest::newRow("among text, comments and other elements") << QByteArray(
            "<?xml version=\"1.0\"?><!-- c --><a>text<main description=\"D\" cells=\"3\">more</main>"
            "<b/><option description=\"o\"/><notlog cmd=\"x\"/><log cmd=\"aM!\"/>tail<log "
            "cmd=\"aD0!\"/></a>");
    }
    void elementsAreRecognisedByNameWhereverTheyStand() {
        QFETCH(QByteArray, xml);
        const idev dev = loaded_from(xml);
        QCOMPARE(dev.description, QStringLiteral("D"));
        QCOMPARE(dev.cells, 3);
        QCOMPARE(option_descriptions(dev), QStringList{QStringLiteral("o")});
        QCOMPARE(log_commands(dev), (QStringList{QStringLiteral("aM!"), QStringLiteral("aD0!")}));
    }

    void optionTakesItsSixTextsAndStartsWithEmptyValues() {
        const idev dev = loaded_from(
            "<d><option description=\"Samples\" read=\"aXRAVG!\" write=\"aXWAVG=#!\" verify=\"aXVAVG!\" "
            "type=\"FLOAT\" default=\"+10\"/></d>");
        QCOMPARE(int(dev.options.size()), 1);
        const dev_opt& option = dev.options.front();
        QCOMPARE(option.description, QStringLiteral("Samples"));
        QCOMPARE(option.read_cmd, QStringLiteral("aXRAVG!"));
        QCOMPARE(option.write_cmd, QStringLiteral("aXWAVG=#!"));
        QCOMPARE(option.verify_cmd, QStringLiteral("aXVAVG!"));
        QCOMPARE(option.type, QStringLiteral("FLOAT"));
        QCOMPARE(option.default_value, QStringLiteral("+10"));
        QVERIFY(option.stored_values.isEmpty());
        QVERIFY(option.displayed_values.isEmpty());
        QVERIFY(option.current_value.isEmpty());
        QVERIFY(option.raw_answer.isEmpty());
    }

    void missingAttributesReadAsEmptyText() {
        const idev dev = loaded_from("<d><option/><log/><main/></d>");
        QCOMPARE(int(dev.options.size()), 1);
        QVERIFY(dev.options[0].description.isEmpty() && dev.options[0].read_cmd.isEmpty() &&
                dev.options[0].write_cmd.isEmpty() && dev.options[0].type.isEmpty());
        QCOMPARE(int(dev.log_entries.size()), 1);
        QVERIFY(dev.log_entries[0].cmd.isEmpty() && dev.log_entries[0].title.isEmpty());
        QVERIFY(dev.description.isEmpty());
        QCOMPARE(dev.cells, 0);
    }

    void selectsBelongToTheOptionAppendedLast() {
        const idev dev = loaded_from(
            "<d><option description=\"first\" type=\"SELECT\"/>"
            "<select opt=\"0\" val=\"Off\"/><select opt=\"1\" val=\"On\"/><select opt=\"2\" val=\"Auto\"/>"
            "<option description=\"second\" type=\"SELECT\"/>"
            "<x><select opt=\"C\" val=\"Celsius\"/></x><select opt=\"F\" val=\"Fahrenheit\"/></d>");
        QCOMPARE(int(dev.options.size()), 2);
        QCOMPARE(dev.options[0].stored_values, (QStringList{"0", "1", "2"}));
        QCOMPARE(dev.options[0].displayed_values, (QStringList{"Off", "On", "Auto"}));
        QCOMPARE(dev.options[1].stored_values, (QStringList{"C", "F"}));
        QCOMPARE(dev.options[1].displayed_values, (QStringList{"Celsius", "Fahrenheit"}));
    }

    void selectWithoutValAppendsEmptyTextSoTheListsStayParallel() {
        const idev dev = loaded_from("<d><option/><select opt=\"1\"/><select val=\"Two\"/></d>");
        QCOMPARE(dev.options[0].stored_values, (QStringList{"1", ""}));
        QCOMPARE(dev.options[0].displayed_values, (QStringList{"", "Two"}));
    }

    void selectBeforeAnyOptionIsIgnored() {
        const idev dev = loaded_from(
            "<d><select opt=\"9\" val=\"Nine\"/><option description=\"o\"/><select opt=\"1\" "
            "val=\"One\"/></d>");
        QCOMPARE(int(dev.options.size()), 1);
        QCOMPARE(dev.options[0].stored_values, QStringList{"1"});
        QCOMPARE(dev.options[0].displayed_values, QStringList{"One"});
    }

    void logCellOffset_data() {
        QTest::addColumn<QByteArray>("element");
        QTest::addColumn<int>("offset");
        QTest::newRow("absent") << QByteArray("<log cmd=\"aM!\"/>") << -1;
        QTest::newRow("empty") << QByteArray("<log cell=\"\" cmd=\"aM!\"/>") << -1;
        QTest::newRow("zero") << QByteArray("<log cell=\"0\" cmd=\"aM!\"/>") << 0;
        QTest::newRow("two") << QByteArray("<log cell=\"2\" cmd=\"aM!\"/>") << 2;
        QTest::newRow("not a number") << QByteArray("<log cell=\"abc\" cmd=\"aM!\"/>") << 0;
        QTest::newRow("number then letters") << QByteArray("<log cell=\"3x\" cmd=\"aM!\"/>") << 0;
        QTest::newRow("hexadecimal is not decimal") << QByteArray("<log cell=\"0x10\" cmd=\"aM!\"/>") << 0;
        QTest::newRow("too large for an int") << QByteArray("<log cell=\"99999999999\" cmd=\"aM!\"/>") << 0;
        QTest::newRow("upper-case attribute name") << QByteArray("<log Cell=\"2\" cmd=\"aM!\"/>") << -1;
    }
    void logCellOffset() {
        QFETCH(QByteArray, element);
        QFETCH(int, offset);
        const idev dev = loaded_from("<d>" + element + "</d>");
        QCOMPARE(int(dev.log_entries.size()), 1);
        QCOMPARE(dev.log_entries[0].cell, offset);
        QCOMPARE(dev.log_entries[0].cmd, QStringLiteral("aM!"));
    }

    void logEntriesKeepTitleAndCommandInFileOrder() {
        const idev dev = loaded_from(
            "<d><log cell=\"0\" cmd=\"aM!\"/><log cmd=\"WAITRESP\"/><log title=\"Temp\" cmd=\"aD0!\"/>"
            "<log title=\"Hum\"/></d>");
        QCOMPARE(log_commands(dev), (QStringList{"aM!", "WAITRESP", "aD0!", ""}));
        QCOMPARE(dev.log_entries[2].title, QStringLiteral("Temp"));
        QCOMPARE(dev.log_entries[3].title, QStringLiteral("Hum"));
        QCOMPARE(dev.log_entries[3].cell, -1);
    }

    void mainCells_data() {
        QTest::addColumn<QByteArray>("element");
        QTest::addColumn<int>("cells");
        QTest::newRow("number") << QByteArray("<main cells=\"4\"/>") << 4;
        QTest::newRow("not a number") << QByteArray("<main cells=\"four\"/>") << 0;
        QTest::newRow("empty") << QByteArray("<main cells=\"\"/>") << 0;
        QTest::newRow("absent") << QByteArray("<main description=\"x\"/>") << 0;
        QTest::newRow("upper-case attribute name") << QByteArray("<main Cells=\"4\"/>") << 0;
    }
    void mainCells() {
        QFETCH(QByteArray, element);
        QFETCH(int, cells);
        const idev dev = loaded_from("<d>" + element + "</d>", slot_with_previous_load());
        QCOMPARE(dev.cells, cells);
    }

    void attributeNamesAreCaseSensitive() {
        const idev dev = loaded_from(
            "<d><main Description=\"x\" cells=\"1\"/><log CMD=\"aM!\" Title=\"T\"/>"
            "<option Read=\"aXR!\" read=\"aXRSN!\" TYPE=\"LABEL\"/></d>");
        QVERIFY(dev.description.isEmpty());
        QVERIFY(dev.log_entries[0].cmd.isEmpty());
        QVERIFY(dev.log_entries[0].title.isEmpty());
        QCOMPARE(dev.options[0].read_cmd, QStringLiteral("aXRSN!"));
        QVERIFY(dev.options[0].type.isEmpty());
    }

    void elementNamesAreCaseSensitive() {
        const idev dev = loaded_from("<d><Main cells=\"3\"/><LOG cmd=\"aM!\"/><Option/></d>");
        QCOMPARE(dev.cells, 0);
        QVERIFY(dev.log_entries.empty());
        QVERIFY(dev.options.empty());
    }

    void definitionWithoutMainKeepsDescriptionAndCells() {
        const idev dev = loaded_from("<d><log cmd=\"aM!\"/></d>", slot_with_previous_load());
        QCOMPARE(dev.description, QStringLiteral("old sensor"));
        QCOMPARE(dev.cells, 5);
        QCOMPARE(int(dev.log_entries.size()), 1);
        QVERIFY(dev.options.empty());
    }

    void definitionWithoutMainLeavesAFreshSlotEmpty() {
        const idev dev = loaded_from("<d><log cmd=\"aM!\"/></d>");
        QVERIFY(dev.description.isEmpty());
        QCOMPARE(dev.cells, 0);
    }

    void lastMainWins() {
        const idev dev = loaded_from("<d><main description=\"A\" cells=\"1\"/><main description=\"B\"/></d>");
        QCOMPARE(dev.description, QStringLiteral("B"));
        QCOMPARE(dev.cells, 0);
    }

    void unknownOptionTypeStaysInTheList() {
        const idev dev =
            loaded_from("<d><option description=\"x\" type=\"float\"/><option type=\"CMD\"/></d>");
        QCOMPARE(int(dev.options.size()), 2);
        QCOMPARE(dev.options[0].type, QStringLiteral("float"));
    }

    void entityReferencesInAttributesAreResolved() {
        const idev dev = loaded_from("<d><log title=\"a&amp;b&lt;&#x41;\" cmd=\"&quot;\"/></d>");
        QCOMPARE(dev.log_entries[0].title, QStringLiteral("a&b<A"));
        QCOMPARE(dev.log_entries[0].cmd, QStringLiteral("\""));
    }

    void loadingTheSameFileTwiceDoesNotDoubleTheLists() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        write_file(dir.filePath("probe.xml"), kTwoOptionsTwoLogs);
        idev dev;
        dev.definition = QStringLiteral("probe.xml");
        parse_dev_cfg::load(dev, dir.path() + "/");
        const idev once = dev;
        parse_dev_cfg::load(dev, dir.path() + "/");
        QCOMPARE(int(once.options.size()), 2);
        QCOMPARE(int(once.log_entries.size()), 2);
        QCOMPARE(option_descriptions(dev), option_descriptions(once));
        QCOMPARE(log_commands(dev), log_commands(once));
    }

    void loadingAnotherFileReplacesTheLists() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        write_file(dir.filePath("a.xml"), kTwoOptionsTwoLogs);
        write_file(dir.filePath("b.xml"), "<d><option description=\"only\"/><log cmd=\"aR0!\"/></d>");
        idev dev;
        dev.definition = QStringLiteral("a.xml");
        parse_dev_cfg::load(dev, dir.path() + "/");
        dev.definition = QStringLiteral("b.xml");
        parse_dev_cfg::load(dev, dir.path() + "/");
        QCOMPARE(option_descriptions(dev), QStringList{"only"});
        QCOMPARE(log_commands(dev), QStringList{"aR0!"});
        // b.xml has no main element: what a.xml set stays.
        QCOMPARE(dev.description, QStringLiteral("Probe"));
        QCOMPARE(dev.cells, 2);
    }

    void malformedXmlKeepsWhatCameBeforeTheFault_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<int>("options");
        QTest::newRow("cut off inside an element")
            << QByteArray("<d><log cmd=\"aM!\"/><option/><log cmd=\"aD0!\"/><log cmd=\"aD1")
            << QStringList{"aM!", "aD0!"} << 1;
        QTest::newRow("wrong end tag")
            << QByteArray("<d><log cmd=\"aM!\"/><x></y><log cmd=\"aD0!\"/><option/></d>")
            << QStringList{"aM!"} << 0;
        QTest::newRow("unquoted attribute")
            << QByteArray("<d><option/><log cmd=\"aM!\"/><log cmd=aD0!/><option/></d>") << QStringList{"aM!"}
            << 1;
        QTest::newRow("root never closed")
            << QByteArray("<d><log cmd=\"aM!\"/><option/>") << QStringList{"aM!"} << 1;
        QTest::newRow("attribute without value")
            << QByteArray("<d><log cmd=\"aM!\"/><log cmd/><option/></d>") << QStringList{"aM!"} << 0;
        QTest::newRow("second root element")
            << QByteArray("<d><log cmd=\"aM!\"/></d><e><log cmd=\"aD0!\"/></e>") << QStringList{"aM!"} << 0;
    }
    void malformedXmlKeepsWhatCameBeforeTheFault() {
        QFETCH(QByteArray, xml);
        QFETCH(QStringList, commands);
        QFETCH(int, options);
        const idev dev = loaded_from(xml, slot_with_previous_load());
        QCOMPARE(log_commands(dev), commands);
        QCOMPARE(int(dev.options.size()), options);
        QCOMPARE(dev.description, QStringLiteral("old sensor"));
    }

    void emptyOrBinaryTextLeavesNoLists() {
        for (const QByteArray& text :
             {QByteArray(), QByteArray("\0\x01\x02<", 4), QByteArray("not xml at all")}) {
            const idev dev = loaded_from(text, slot_with_previous_load());
            QVERIFY(dev.options.empty());
            QVERIFY(dev.log_entries.empty());
            QCOMPARE(dev.cells, 5);
        }
    }

    void missingFileEmptiesTheListsAndKeepsDescriptionAndCells() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        idev dev = slot_with_previous_load();
        dev.definition = QStringLiteral("absent.xml");
        parse_dev_cfg::load(dev, dir.path() + "/");
        QVERIFY(dev.options.empty());
        QVERIFY(dev.log_entries.empty());
        QCOMPARE(dev.description, QStringLiteral("old sensor"));
        QCOMPARE(dev.cells, 5);
    }

    void loadAllLoadsEverySlotWithADefinitionAndSkipsTheOthers() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        write_file(dir.filePath("probe.xml"), kTwoOptionsTwoLogs);
        DeviceList devices;
        devices.update(0, [](idev& d) { d.definition = QStringLiteral("probe.xml"); });
        devices.update(15, [](idev& d) { d.definition = QStringLiteral("probe.xml"); });
        devices.update(5, [](idev& d) {  // no definition: left exactly as it is
            d.description = QStringLiteral("kept");
            d.options.resize(7);
            d.log_entries.resize(1);
        });
        parse_dev_cfg::load_all(devices, dir.path() + "/");
        for (int i : {0, 15}) {
            const idev dev = devices.slot(i);
            QCOMPARE(dev.description, QStringLiteral("Probe"));
            QCOMPARE(dev.cells, 2);
            QCOMPARE(int(dev.options.size()), 2);
            QCOMPARE(int(dev.log_entries.size()), 2);
        }
        const idev skipped = devices.slot(5);
        QCOMPARE(skipped.description, QStringLiteral("kept"));
        QCOMPARE(int(skipped.options.size()), 7);
        QCOMPARE(int(skipped.log_entries.size()), 1);
        QVERIFY(devices.slot(1).options.empty());
        QCOMPARE(devices.slot(15).address, QStringLiteral("f"));
    }

    void loadAllKeepsFieldsTheDefinitionDoesNotOwn() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        write_file(dir.filePath("probe.xml"), kTwoOptionsTwoLogs);
        DeviceList devices;
        devices.update(3, [](idev& d) {
            d.definition = QStringLiteral("probe.xml");
            d.identification = QStringLiteral("3I!313X\r");
            d.scanned = 1;
            d.start_column = 8;
        });
        parse_dev_cfg::load_all(devices, dir.path() + "/");
        const idev dev = devices.slot(3);
        QCOMPARE(dev.identification, QStringLiteral("3I!313X\r"));
        QCOMPARE(dev.scanned, 1);
        QCOMPARE(int(dev.start_column), 8);
        QCOMPARE(dev.address, QStringLiteral("3"));
        QCOMPARE(int(dev.options.size()), 2);
    }

    void loadSlotLoadsThatSlotOnly() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        write_file(dir.filePath("probe.xml"), kTwoOptionsTwoLogs);
        DeviceList devices;
        devices.update(2, [](idev& d) { d.definition = QStringLiteral("probe.xml"); });
        devices.update(4, [](idev& d) { d.definition = QStringLiteral("probe.xml"); });
        parse_dev_cfg::load_slot(devices, 2, dir.path() + "/");
        parse_dev_cfg::load_slot(devices, 99, dir.path() + "/");
        QCOMPARE(int(devices.slot(2).options.size()), 2);
        QVERIFY(devices.slot(4).options.empty());
    }

    void whatIsNotPartOfADefinitionIsSaidWithFileLineAndWhatWasExpected_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("misspelt attribute")
            << QByteArray(
                   "<device>\n<main description=\"D\" cells=\"1\"/>\n<log titel=\"T\" "
                   "cmd=\"aD0!\"/>\n</device>")
            << QStringList{
                   "Devices/x.xml line 3: unknown attribute \"titel\" of <log> is ignored; expected cmd, "
                   "title or cell"};
        QTest::newRow("attribute names are case-sensitive")
            << QByteArray("<device><main Cells=\"2\"/></device>")
            << QStringList{
                   "Devices/x.xml line 1: unknown attribute \"Cells\" of <main> is ignored; expected "
                   "description or cells"};
        QTest::newRow("misspelt element")
            << QByteArray("<device>\n\n<optoin description=\"o\"/>\n</device>")
            << QStringList{
                   "Devices/x.xml line 3: unknown element <optoin> is ignored; expected <main>, <option>, "
                   "<select> or <log>"};
        QTest::newRow("unknown attribute of an option")
            << QByteArray("<d><option description=\"o\" reed=\"aXR!\"/></d>")
            << QStringList{
                   "Devices/x.xml line 1: unknown attribute \"reed\" of <option> is ignored; expected "
                   "description, read, write, verify, type or default"};
        QTest::newRow("select before any option")
            << QByteArray("<d>\n<select opt=\"1\" val=\"One\"/></d>")
            << QStringList{
                   "Devices/x.xml line 2: <select> before any <option> is ignored; expected it inside or "
                   "after the <option> it belongs to"};
        QTest::newRow("unknown select attribute")
            << QByteArray("<d><option/><select opt=\"1\" value=\"One\"/></d>")
            << QStringList{
                   "Devices/x.xml line 1: unknown attribute \"value\" of <select> is ignored; expected "
                   "opt or val"};
        QTest::newRow("any root element, known elements and attributes")
            << QByteArray(
                   "<?xml version=\"1.0\"?><sensor kind=\"x\"><main description=\"D\" cells=\"1\"/>"
                   "<option description=\"o\" read=\"r\" write=\"w\" verify=\"v\" type=\"LABEL\" "
                   "default=\"d\"><select opt=\"1\" val=\"One\"/></option>"
                   "<log cell=\"0\" title=\"T\" cmd=\"aM!\"/></sensor>")
            << QStringList{};
        QTest::newRow("main as the root is checked as main")
            << QByteArray("<main size=\"3\"><log cmd=\"aM!\"/></main>")
            << QStringList{
                   "Devices/x.xml line 1: unknown attribute \"size\" of <main> is ignored; expected "
                   "description or cells"};
        QTest::newRow("problems up to an XML fault, none after it")
            << QByteArray("<d>\n<lg/>\n<log cmd=\"aM!\"\n<foo/></d>")
            << QStringList{
                   "Devices/x.xml line 2: unknown element <lg> is ignored; expected <main>, <option>, "
                   "<select> or <log>"};
    }
    void whatIsNotPartOfADefinitionIsSaidWithFileLineAndWhatWasExpected() {
        QFETCH(QByteArray, xml);
        QFETCH(QStringList, said);
        QCOMPARE(parse_dev_cfg::check(xml, QStringLiteral("Devices/x.xml")), said);
    }

    void manyProblemsAreSaidUpToALimitAndCounted() {
        QByteArray xml = "<d>";
        for (int i = 0; i < parse_dev_cfg::kMaxProblemsSaid + 3; ++i) xml += "<log Cmd=\"aM!\"/>\n";
        xml += "</d>";
        const QStringList said = parse_dev_cfg::check(xml, QStringLiteral("Devices/x.xml"));
        QCOMPARE(said.size(), parse_dev_cfg::kMaxProblemsSaid + 1);
        QCOMPARE(said.last(), QStringLiteral("Devices/x.xml: 3 more such problems not shown"));
    }

    void loadingSaysEachProblemWithTheAddressAndStillReadsTheRest() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir("Devices"));
        write_file(dir.filePath("Devices/x.xml"),
                   "<device>\n<main description=\"D\" cells=\"2\"/>\n<log cell=\"0\" cmd=\"aM!\"/>\n"
                   "<log titel=\"T\" cmd=\"aD0!\"/>\n<log title=\"H\">\n</device>\n");
        idev dev;
        dev.address = QStringLiteral("3");
        dev.definition = QStringLiteral("x.xml");
        const QStringList said =
            parse_dev_cfg::load(dev, dir.filePath("Devices") + "/").split(QStringLiteral("\r\n"));
        QCOMPARE(said.size(), 2);
        QCOMPARE(said[0],
                 QStringLiteral("Address 3: Devices/x.xml line 4: unknown attribute \"titel\" of <log> is "
                                "ignored; expected cmd, title or cell"));
        QVERIFY2(said[1].startsWith(QStringLiteral("Address 3: Devices/x.xml line 6, column ")),
                 qPrintable(said[1]));
        QVERIFY2(said[1].contains(QStringLiteral("keeping what was read before it")), qPrintable(said[1]));
        QCOMPARE(log_commands(dev), (QStringList{"aM!", "aD0!", ""}));
        QCOMPARE(dev.cells, 2);
    }

    void loadAllSaysEachProblemAsALineOfItsOwn() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        write_file(dir.filePath("x.xml"), "<d><log Cmd=\"aM!\"/><lg/></d>");
        DeviceList devices;
        devices.update(1, [](idev& d) { d.definition = QStringLiteral("x.xml"); });
        const QStringList said = parse_dev_cfg::load_all(devices, dir.path() + "/");
        QCOMPARE(said.size(), 2);
        for (const QString& line : said)
            QVERIFY2(line.startsWith(QStringLiteral("Address 1: ")), qPrintable(line));
    }

    void demoDefinitionsLoadWithNothingToSay_data() {
        QTest::addColumn<QString>("file");
        for (const char* file : {"th100.xml", "rain10.xml", "wind20.xml"}) QTest::newRow(file) << file;
    }
    void demoDefinitionsLoadWithNothingToSay() {
        QFETCH(QString, file);
        idev dev;
        dev.definition = file;
        QCOMPARE(parse_dev_cfg::load(dev, QStringLiteral(VELD_DEMO_DEVICES)), QString());
    }

    void demoDefinitionsDescribeTheirSensors_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("cells");
        QTest::addColumn<QStringList>("option_types");
        QTest::newRow("th100") << "th100.xml" << 2 << QStringList{"FLOAT", "SELECT", "LABEL", "CMD"};
        QTest::newRow("rain10") << "rain10.xml" << 3 << QStringList{"FLOAT", "LABEL"};
        QTest::newRow("wind20") << "wind20.xml" << 2 << QStringList{"FLOAT", "LABEL", "SELECT"};
    }
    void demoDefinitionsDescribeTheirSensors() {
        QFETCH(QString, file);
        QFETCH(int, cells);
        QFETCH(QStringList, option_types);
        idev dev;
        dev.definition = file;
        parse_dev_cfg::load(dev, QStringLiteral(VELD_DEMO_DEVICES));
        QVERIFY(!dev.description.isEmpty());
        QCOMPARE(dev.cells, cells);
        // One title per cell, so every value the sensor returns gets a variable label.
        int titles = 0;
        bool measures = false;
        for (const log_entry& entry : dev.log_entries) {
            if (!entry.title.isEmpty()) ++titles;
            if (entry.cmd == QLatin1String("aM!")) measures = true;
            // A concurrent measurement would hold each 5 s cycle for 30 s.
            QVERIFY2(entry.cmd != QLatin1String("aC!"), qPrintable(file));
        }
        QCOMPARE(titles, cells);
        QVERIFY(measures);
        QCOMPARE(dev.log_entries.front().cell, 0);
        QStringList types;
        for (const dev_opt& option : dev.options) {
            types << option.type;
            QCOMPARE(option.stored_values.size(), option.displayed_values.size());
            if (option.type == QLatin1String("SELECT")) {
                QVERIFY(option.stored_values.size() >= 2);
                QVERIFY(option.stored_values.contains(option.default_value));
            }
            if (option.type != QLatin1String("CMD")) QVERIFY(option.read_cmd.startsWith('a'));
            if (option.type == QLatin1String("FLOAT") || option.type == QLatin1String("SELECT"))
                QVERIFY(option.write_cmd.startsWith('a') && option.write_cmd.contains('#'));
        }
        QCOMPARE(types, option_types);
    }
};

QTEST_GUILESS_MAIN(DeviceDefinitionReaderTest)
#include "tst_device_definition_reader.moc"
