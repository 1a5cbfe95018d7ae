// The one reader of the settings files: which start elements a handler is told about, in which
// order, with which attribute texts, for documents that are whole, broken or in other encodings.
#include <QtTest>

#include "settings/start_element_reader.h"

namespace {

// Writes down each start element as "name:v", v being its attribute named v.
class ElementTrace : public StartElementHandler {
  public:
    void startElement(const QString& qualified_name, const ElementAttributes& attributes) override {
        seen << qualified_name + QLatin1Char(':') + attributes.value(QStringLiteral("v"));
    }
    QStringList seen;
};

QString trace_of(const QByteArray& document) {
    ElementTrace trace;
    StartElementReader(trace).read(document);
    return trace.seen.join(QLatin1Char(' '));
}

// Where the reading stopped, as "line:column", or empty when it read to the end.
QString fault_of(const QByteArray& document) {
    ElementTrace trace;
    const XmlFault fault = StartElementReader(trace).read(document);
    return fault.found() ? QStringLiteral("%1:%2").arg(fault.line).arg(fault.column) : QString();
}

}  // namespace

class StartElementReaderTest : public QObject {
    Q_OBJECT

  private slots:
    void handlerIsToldEachStartElementUntilTheFirstFault_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("trace");
        QTest::addColumn<QString>("fault");  // line:column, empty when there is none
        QTest::newRow("nesting and root name play no part")
            << QByteArray("<a v=\"1\"><b><c v=\"3\"/></b>text<!-- c --><?pi x?><b v=\"4\"/></a>")
            << QStringLiteral("a:1 b: c:3 b:4") << QString();
        QTest::newRow("a missing attribute reads empty, names count case")
            << QByteArray("<a V=\"x\"><b v=\"\"/></a>") << QStringLiteral("a: b:") << QString();
        QTest::newRow("document type and declaration are skipped")
            << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE Config>\n<a v=\"1\"/>") << QStringLiteral("a:1")
            << QString();
        QTest::newRow("references decode") << QByteArray("<a v=\"&amp;&lt;&gt;&quot;&apos;&#13;&#x41;\"/>")
                                           << QStringLiteral("a:&<>\"'\rA") << QString();
        QTest::newRow("entities of the document type expand")
            << QByteArray("<!DOCTYPE a [<!ENTITY e \"x&amp;y\">]><a v=\"&e;&e;\"/>")
            << QStringLiteral("a:x&yx&y") << QString();
        QTest::newRow("a fault keeps what came before it")
            << QByteArray("<a><b v=\"1\"/><b v=\"2\"/><b v=2/><b v=\"3\"/></a>")
            << QStringLiteral("a: b:1 b:2") << QStringLiteral("1:29");
        QTest::newRow("a fault is placed on its line") << QByteArray("<a>\n<b v=\"1\"/>\n  <b v=2/>\n</a>")
                                                       << QStringLiteral("a: b:1") << QStringLiteral("3:8");
        QTest::newRow("a cut keeps every complete start tag")
            << QByteArray("<a><b v=\"1\"/><b v=\"2\"") << QStringLiteral("a: b:1") << QStringLiteral("1:21");
        QTest::newRow("a second root element ends the reading")
            << QByteArray("<a v=\"1\"/><b v=\"2\"/>") << QStringLiteral("a:1") << QStringLiteral("1:20");
        QTest::newRow("an undeclared entity is a fault")
            << QByteArray("<a><b v=\"1\"/><b v=\"&x;\"/></a>") << QStringLiteral("a: b:1")
            << QStringLiteral("1:22");
        QTest::newRow("nothing at all") << QByteArray() << QString() << QStringLiteral("1:0");
    }
    void handlerIsToldEachStartElementUntilTheFirstFault() {
        QFETCH(QByteArray, document);
        QFETCH(QString, trace);
        QFETCH(QString, fault);
        QCOMPARE(trace_of(document), trace);
        QCOMPARE(fault_of(document), fault);
    }

    void textIsDecodedAsTheDocumentSays_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("trace");
        const QString e_acute(QChar(0xE9));
        QTest::newRow("UTF-8 without a declaration") << QByteArray("<a v=\"\xC3\xA9\"/>") << "a:" + e_acute;
        QTest::newRow("UTF-8 byte order mark")
            << QByteArray("\xEF\xBB\xBF<a v=\"\xC3\xA9\"/>") << "a:" + e_acute;
        QTest::newRow("Latin-1 declared")
            << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a v=\"\xE9\"/>") << "a:" + e_acute;
        QTest::newRow("UTF-16 with its byte order mark")
            << QByteArray("\xFF\xFE<\0a\0 \0v\0=\0\"\0\xE9\0\"\0/\0>\0", 22) << "a:" + e_acute;
        QTest::newRow("UTF-16 without one")
            << QByteArray("<\0a\0 \0v\0=\0\"\0\xE9\0\"\0/\0>\0", 20) << "a:" + e_acute;
        // An editor that saved a Latin-1 character into a UTF-8 file costs that character only.
        QTest::newRow("a byte that is not UTF-8 reads as a replacement character")
            << QByteArray("<a><b v=\"1\xB0\x43\"/><b v=\"2\"/></a>") << QStringLiteral("a: b:1\uFFFDC b:2");
        QTest::newRow("the same with UTF-8 declared")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a><b v=\"\xFF\"/><b v=\"2\"/></a>")
            << QStringLiteral("a: b:\uFFFD b:2");
        QTest::newRow("an unknown encoding is a fault")
            << QByteArray("<?xml version=\"1.0\" encoding=\"no-such\"?><a v=\"1\"/>") << QString();
    }
    void textIsDecodedAsTheDocumentSays() {
        QFETCH(QByteArray, document);
        QFETCH(QString, trace);
        QCOMPARE(trace_of(document), trace);
    }
};

QTEST_GUILESS_MAIN(StartElementReaderTest)
#include "tst_start_element_reader.moc"
