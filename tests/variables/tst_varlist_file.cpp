#include <QDomDocument>
#include <QTemporaryDir>
#include <QtTest>

#include "variables/column_list.h"
#include "variables/varlist_file.h"

namespace {

// Distinct texts for every field of column i, with the characters XML must escape.
column_record user_texts(int i) {
    column_record r;
    r.letters = column_letters(i);
    r.name = QStringLiteral("Name %1 <\"&'>").arg(i);
    r.units = QString::fromUtf8("m\u00b3/s \u00e9%1").arg(i);
    r.user1 = QStringLiteral("user\t%1\nline").arg(i);
    r.formula = QStringLiteral("=A*%1+(B<>C)&D").arg(i);
    for (int slot = 0; slot < 4; ++slot) r.alarm[slot] = QStringLiteral(" %1.%2 ").arg(i).arg(slot);
    return r;
}

bool same_texts(const column_record& a, const column_record& b) {
    return a.letters == b.letters && a.name == b.name && a.units == b.units && a.user1 == b.user1 &&
           a.formula == b.formula && a.alarm == b.alarm;
}

QByteArray file_of(const QByteArray& vars) {
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE Config>\n<config>\n" + vars + "</config>\n";
}

}  // namespace

class VarlistFileTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void everyUserTextOfDToIUSurvivesWriteAndRead();
    void writtenFileHasConfigDoctypeAndOneVarPerColumn();
    void elementsApplyByTheirRules_data();
    void elementsApplyByTheirRules();
    void truncatedFileKeepsWhatCameBeforeTheCut_data();
    void truncatedFileKeepsWhatCameBeforeTheCut();
    void malformedElementStopsTheRestButKeepsWhatCameBefore();
    void missingFileChangesNothing();
    void unwritablePathGivesMinusOne();
    void textsXmlCannotCarryAreLeftOutSoTheFileReadsBackWhole();

  private:
    QTemporaryDir dir_;
};

void VarlistFileTest::init() {
    QVERIFY(dir_.isValid());
}

void VarlistFileTest::everyUserTextOfDToIUSurvivesWriteAndRead() {
    ColumnList written;
    for (int i = 3; i < written.size(); ++i) written.set_record(i, user_texts(i));
    written.set_value(10, 42.0);
    const QString path = dir_.filePath(QStringLiteral("varlist.xml"));
    QCOMPARE(write_varlist(written, path), 0);

    ColumnList read;
    QCOMPARE(read_varlist(read, path), 252);
    for (int i = 3; i < read.size(); ++i)
        QVERIFY2(same_texts(read.record(i), written.record(i)), qPrintable(column_letters(i)));
    QCOMPARE(read.value(10), 0.0);  // values are not stored
    QVERIFY(read.value_text(10).isEmpty());
    for (int i = 0; i < 3; ++i) QVERIFY(same_texts(read.record(i), ColumnList().record(i)));
}

void VarlistFileTest::writtenFileHasConfigDoctypeAndOneVarPerColumn() {
    ColumnList columns;
    columns.set_name(3, QStringLiteral("Level"));
    const QString path = dir_.filePath(QStringLiteral("varlist.xml"));
    QCOMPARE(write_varlist(columns, path), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("<!DOCTYPE Config>"));
    QVERIFY(text.contains("\n<config>\n <var "));  // one space per level

    QDomDocument doc;
    QVERIFY(doc.setContent(text));
    QCOMPARE(doc.doctype().name(), QStringLiteral("Config"));
    QCOMPARE(doc.documentElement().tagName(), QStringLiteral("config"));
    const QDomNodeList vars = doc.documentElement().elementsByTagName(QStringLiteral("var"));
    QCOMPARE(vars.size(), 255);
    const QStringList keys{"col",    "name",   "units",  "formula", "user1",
                           "alarm0", "alarm1", "alarm2", "alarm3"};
    for (int i = 0; i < vars.size(); ++i) {
        const QDomElement var = vars.at(i).toElement();
        QCOMPARE(var.attributes().size(), keys.size());
        for (const QString& key : keys) QVERIFY(var.hasAttribute(key));
        QCOMPARE(var.attribute(QStringLiteral("col")), column_letters(i));
    }
    QCOMPARE(vars.at(0).toElement().attribute(QStringLiteral("name")), QStringLiteral("Record"));
    QCOMPARE(vars.at(3).toElement().attribute(QStringLiteral("name")), QStringLiteral("Level"));
}

void VarlistFileTest::elementsApplyByTheirRules_data() {
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("units");
    QTest::addColumn<int>("applied");
    // Every case starts from column D named "old" with units "V" and column B as built.
    QTest::newRow("lower-case col updates D, letters as written")
        << file_of("<var col=\"d\" name=\"Flow\" units=\"l/s\"/>\n") << 3 << "d"
        << "Flow"
        << "l/s" << 1;
    QTest::newRow("empty name keeps the name")
        << file_of("<var col=\"D\" name=\"\" units=\"mm\"/>\n") << 3 << "D"
        << "old"
        << "mm" << 1;
    QTest::newRow("missing units clears them") << file_of("<var col=\"D\" name=\"Rain\"/>\n") << 3 << "D"
                                               << "Rain"
                                               << "" << 1;
    QTest::newRow("system column B is never changed")
        << file_of("<var col=\"b\" name=\"X\" units=\"Y\"/>\n") << 1 << "B"
        << "Date"
        << "Y/M/D" << 0;
    QTest::newRow("IV is beyond the list") << file_of("<var col=\"IV\" name=\"X\"/>\n") << 3 << "D"
                                           << "old"
                                           << "V" << 0;
    QTest::newRow("col that is no reference is skipped")
        << file_of("<var col=\"5\" name=\"X\"/><var col=\"\" name=\"X\"/>\n") << 3 << "D"
        << "old"
        << "V" << 0;
    QTest::newRow("col with more than a reference is skipped")
        << file_of("<var col=\"D5\" name=\"X\"/><var col=\"DDD\" name=\"X\"/>\n") << 3 << "D"
        << "old"
        << "V" << 0;
    QTest::newRow("two-letter col") << file_of("<var col=\"aB\" name=\"Wind\" units=\"m/s\"/>\n") << 27
                                    << "aB"
                                    << "Wind"
                                    << "m/s" << 1;
    QTest::newRow("other elements are ignored")
        << file_of("<variable col=\"D\" name=\"X\"/><VAR col=\"D\" name=\"X\"/>\n") << 3 << "D"
        << "old"
        << "V" << 0;
    QTest::newRow("var found wherever it stands")
        << QByteArray("<other><group><var col=\"D\" name=\"Deep\" units=\"u\"/></group></other>") << 3 << "D"
        << "Deep"
        << "u" << 1;
    QTest::newRow("later element for the same column wins")
        << file_of("<var col=\"D\" name=\"one\"/><var col=\"d\" name=\"two\" units=\"x\"/>\n") << 3 << "d"
        << "two"
        << "x" << 2;
}

void VarlistFileTest::elementsApplyByTheirRules() {
    QFETCH(QByteArray, document);
    QFETCH(int, column);
    QFETCH(QString, letters);
    QFETCH(QString, name);
    QFETCH(QString, units);
    QFETCH(int, applied);
    ColumnList columns;
    columns.set_name(3, QStringLiteral("old"));
    columns.set_units(3, QStringLiteral("V"));
    const QString path = dir_.filePath(QStringLiteral("case.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(document);
    file.close();
    QCOMPARE(read_varlist(columns, path), applied);
    QCOMPARE(columns.letters(column), letters);
    QCOMPARE(columns.name(column), name);
    QCOMPARE(columns.units(column), units);
}

void VarlistFileTest::truncatedFileKeepsWhatCameBeforeTheCut_data() {
    QTest::addColumn<double>("fraction");
    QTest::newRow("nothing") << 0.0;
    QTest::newRow("in the header") << 0.01;
    QTest::newRow("a tenth") << 0.1;
    QTest::newRow("a third") << 0.33;
    QTest::newRow("half") << 0.5;
    QTest::newRow("most") << 0.9;
    QTest::newRow("all but the end tag") << 0.995;
    QTest::newRow("whole") << 1.0;
}

void VarlistFileTest::truncatedFileKeepsWhatCameBeforeTheCut() {
    QFETCH(double, fraction);
    ColumnList source;
    for (int i = 3; i < source.size(); ++i) source.set_record(i, user_texts(i));
    const QByteArray whole = varlist_document(source);
    const QByteArray cut = whole.left(int(whole.size() * fraction));

    ColumnList before;  // the previous texts: the defaults plus a user name in every column
    for (int i = 3; i < before.size(); ++i) before.set_name(i, QStringLiteral("before %1").arg(i));
    ColumnList columns;
    for (int i = 3; i < columns.size(); ++i) columns.set_name(i, QStringLiteral("before %1").arg(i));

    // A var element counts once its start tag is complete; the first three are A..C.
    const int complete_tags = cut.count("/>");
    const int expected = qMax(0, complete_tags - 3);
    QCOMPARE(read_varlist_data(columns, cut), expected);
    for (int i = 3; i < columns.size(); ++i) {
        const column_record& want = (i < 3 + expected) ? source.record(i) : before.record(i);
        QVERIFY2(same_texts(columns.record(i), want), qPrintable(column_letters(i)));
    }
}

void VarlistFileTest::malformedElementStopsTheRestButKeepsWhatCameBefore() {
    ColumnList columns;
    columns.set_name(5, QStringLiteral("keep"));
    const QByteArray doc = file_of(
        "<var col=\"D\" name=\"first\"/>\n"
        "<var col=\"E\" name=\"second\"/>\n"
        "<var col=\"F\" name=bad/>\n"
        "<var col=\"G\" name=\"after\"/>\n");
    QCOMPARE(read_varlist_data(columns, doc), 2);
    QCOMPARE(columns.name(3), QStringLiteral("first"));
    QCOMPARE(columns.name(4), QStringLiteral("second"));
    QCOMPARE(columns.name(5), QStringLiteral("keep"));
    QVERIFY(columns.name(6).isEmpty());
}

void VarlistFileTest::missingFileChangesNothing() {
    ColumnList columns;
    columns.set_name(3, QStringLiteral("kept"));
    QCOMPARE(read_varlist(columns, dir_.filePath(QStringLiteral("absent.xml"))), 0);
    QCOMPARE(columns.name(3), QStringLiteral("kept"));
    QCOMPARE(read_varlist_data(columns, QByteArray()), 0);
    QCOMPARE(columns.name(3), QStringLiteral("kept"));
}

void VarlistFileTest::unwritablePathGivesMinusOne() {
    ColumnList columns;
    QCOMPARE(write_varlist(columns, dir_.filePath(QStringLiteral("no/such/folder/varlist.xml"))), -1);
}

void VarlistFileTest::textsXmlCannotCarryAreLeftOutSoTheFileReadsBackWhole() {
    ColumnList written;
    written.set_name(3, QStringLiteral("bell\x07here"));
    written.set_units(3, QString(QChar(0xD800)) + "x");  // a lone surrogate
    written.set_name(200, QStringLiteral("later"));
    const QString path = dir_.filePath(QStringLiteral("varlist.xml"));
    QCOMPARE(write_varlist(written, path), 0);
    ColumnList read;
    QCOMPARE(read_varlist(read, path), 252);
    QCOMPARE(read.name(3), QStringLiteral("bellhere"));
    QCOMPARE(read.units(3), QStringLiteral("x"));
    QCOMPARE(read.name(200), QStringLiteral("later"));
}

QTEST_GUILESS_MAIN(VarlistFileTest)
#include "tst_varlist_file.moc"
