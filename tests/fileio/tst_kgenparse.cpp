// The generic settings file: a name/value store bound to one file.
#include <QtTest>

#include "fileio/kgenparse.h"

class KgenparseTest : public QObject {
    Q_OBJECT
  private slots:
    void savedStoreLoadsBackWithItsNamesValuesAndOrder();
    void missingNamesAndFilesGiveTheDefault();
    void loadedValueWins_data();
    void loadedValueWins();
    void saveToAnUnwritablePlaceReturnsMinusOne();

  private:
    QTemporaryDir dir_;
};

void KgenparseTest::savedStoreLoadsBackWithItsNamesValuesAndOrder() {
    const QString path = dir_.filePath(QStringLiteral("fileio.xml"));
    Kgenparse store(path);
    store.set(QStringLiteral("imp_dir"), QStringLiteral("/data/in"));
    store.set(QStringLiteral("imp_en"), QStringLiteral("1"));
    store.set(QStringLiteral("exp_dir"), QStringLiteral("a \"quoted\" <name> & more"));
    store.set(QStringLiteral("imp_dir"), QStringLiteral("/data/other"));  // keeps its place
    QCOMPARE(store.save(), 0);

    Kgenparse back(path);
    back.load();
    QCOMPARE(back.names(), (QStringList{"imp_dir", "imp_en", "exp_dir"}));
    for (const QString& name : store.names()) QCOMPARE(back.value(name), store.value(name));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("<!DOCTYPE Config>"));
    QVERIFY(text.contains("<main>"));
    QCOMPARE(text.count("type=\"string\""), 3);
}

void KgenparseTest::missingNamesAndFilesGiveTheDefault() {
    Kgenparse store(dir_.filePath(QStringLiteral("absent.xml")));
    store.load();
    QVERIFY(store.names().isEmpty());
    QCOMPARE(store.value(QStringLiteral("imp_en"), QStringLiteral("0")), QStringLiteral("0"));
    QVERIFY(store.value(QStringLiteral("imp_dir")).isEmpty());
}

void KgenparseTest::loadedValueWins_data() {
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("expected");
    QTest::newRow("another type text")
        << QByteArray("<!DOCTYPE Config><main><config name=\"k\" type=\"int\" value=\"7\"/></main>") << "7";
    QTest::newRow("empty value instead of the default")
        << QByteArray("<main><config name=\"k\" type=\"string\" value=\"\"/></main>") << "";
    QTest::newRow("the later of two")
        << QByteArray("<main><config name=\"k\" value=\"1\"/><config name=\"k\" value=\"2\"/></main>") << "2";
    QTest::newRow("what came before a fault")
        << QByteArray("<main><config name=\"k\" value=\"3\"/><config name=\"j\" value=</main>") << "3";
}

void KgenparseTest::loadedValueWins() {
    QFETCH(QByteArray, xml);
    QFETCH(QString, expected);
    Kgenparse store;
    store.set(QStringLiteral("first"), QStringLiteral("kept"));
    store.load_text(xml);
    QCOMPARE(store.value(QStringLiteral("k"), QStringLiteral("default")), expected);
    QCOMPARE(store.names().first(), QStringLiteral("first"));  // loading adds to what is held
    QVERIFY(!store.contains(QStringLiteral("j")));

    // Saving writes every value as a string.
    Kgenparse again;
    again.load_text(store.document());
    QCOMPARE(again.value(QStringLiteral("k"), QStringLiteral("default")), expected);
    QVERIFY(!store.document().contains("type=\"int\""));
}

void KgenparseTest::saveToAnUnwritablePlaceReturnsMinusOne() {
    Kgenparse store(dir_.filePath(QStringLiteral("no/such/folder/fileio.xml")));
    store.set(QStringLiteral("k"), QStringLiteral("v"));
    QCOMPARE(store.save(), -1);
    QCOMPARE(store.value(QStringLiteral("k")), QStringLiteral("v"));
}

QTEST_GUILESS_MAIN(KgenparseTest)
#include "tst_kgenparse.moc"
