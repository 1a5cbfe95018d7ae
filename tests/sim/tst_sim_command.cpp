// Parsing of the commands a simulated sensor understands.
#include <QtTest>

#include "sim/sim_command.h"

Q_DECLARE_METATYPE(SimCommand::Kind)

class SimCommandTest : public QObject {
    Q_OBJECT
  private slots:
    void commandTextGivesKindAndArguments_data();
    void commandTextGivesKindAndArguments();
};

void SimCommandTest::commandTextGivesKindAndArguments_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<SimCommand::Kind>("kind");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("newAddress");
    QTest::addColumn<QString>("optionName");
    QTest::addColumn<QString>("optionValue");
    using K = SimCommand::Kind;
    QTest::newRow("acknowledge") << "0!" << K::Acknowledge << "0" << 0 << ""
                                 << ""
                                 << "";
    QTest::newRow("identify") << "3I!" << K::Identify << "3" << 0 << ""
                              << ""
                              << "";
    QTest::newRow("measure") << "0M!" << K::Measure << "0" << 0 << ""
                             << ""
                             << "";
    QTest::newRow("measure set 4") << "bM4!" << K::Measure << "b" << 4 << ""
                                   << ""
                                   << "";
    QTest::newRow("concurrent") << "1C!" << K::Concurrent << "1" << 0 << ""
                                << ""
                                << "";
    QTest::newRow("concurrent set 9") << "1C9!" << K::Concurrent << "1" << 9 << ""
                                      << ""
                                      << "";
    QTest::newRow("data 0") << "0D0!" << K::Data << "0" << 0 << ""
                            << ""
                            << "";
    QTest::newRow("data 7") << "0D7!" << K::Data << "0" << 7 << ""
                            << ""
                            << "";
    QTest::newRow("change address") << "0A5!" << K::ChangeAddress << "0" << 0 << "5"
                                    << ""
                                    << "";
    QTest::newRow("read option") << "0XRAVG!" << K::ReadOption << "0" << 0 << ""
                                 << "AVG"
                                 << "";
    QTest::newRow("write option") << "0XWAVG=+12!" << K::WriteOption << "0" << 0 << ""
                                  << "AVG"
                                  << "+12";
    QTest::newRow("write empty value") << "0XWUNIT=!" << K::WriteOption << "0" << 0 << ""
                                       << "UNIT"
                                       << "";
    QTest::newRow("upper-case address") << "ZI!" << K::Identify << "Z" << 0 << ""
                                        << ""
                                        << "";
    QTest::newRow("no bang") << "0I" << K::Invalid << "" << 0 << ""
                             << ""
                             << "";
    QTest::newRow("bang only") << "!" << K::Invalid << "" << 0 << ""
                               << ""
                               << "";
    QTest::newRow("percent is no address") << "%0I!" << K::Invalid << "" << 0 << ""
                                           << ""
                                           << "";
    QTest::newRow("verify unknown") << "0V!" << K::Unknown << "0" << 0 << ""
                                    << ""
                                    << "";
    QTest::newRow("measure set 0 written out") << "0M0!" << K::Unknown << "0" << 0 << ""
                                               << ""
                                               << "";
    QTest::newRow("measure set 10") << "0M10!" << K::Unknown << "0" << 0 << ""
                                    << ""
                                    << "";
    QTest::newRow("data without digit") << "0D!" << K::Unknown << "0" << 0 << ""
                                        << ""
                                        << "";
    QTest::newRow("change to no address") << "0A%!" << K::Unknown << "0" << 0 << ""
                                          << ""
                                          << "";
    QTest::newRow("read without name") << "0XR!" << K::Unknown << "0" << 0 << ""
                                       << ""
                                       << "";
    QTest::newRow("write without equals") << "0XWAVG!" << K::Unknown << "0" << 0 << ""
                                          << ""
                                          << "";
    QTest::newRow("write without name") << "0XW=1!" << K::Unknown << "0" << 0 << ""
                                        << ""
                                        << "";
}

void SimCommandTest::commandTextGivesKindAndArguments() {
    QFETCH(QString, text);
    QFETCH(SimCommand::Kind, kind);
    QFETCH(QString, address);
    QFETCH(int, index);
    QFETCH(QString, newAddress);
    QFETCH(QString, optionName);
    QFETCH(QString, optionValue);
    const SimCommand command = SimCommand::parse(text.toStdString());
    QCOMPARE(command.kind, kind);
    QCOMPARE(command.text, text.toStdString());
    if (kind == SimCommand::Kind::Invalid) return;
    QCOMPARE(QString(QChar(command.address)), address);
    QCOMPARE(command.index, index);
    QCOMPARE(command.new_address == 0 ? QString() : QString(QChar(command.new_address)), newAddress);
    QCOMPARE(QString::fromStdString(command.option_name), optionName);
    QCOMPARE(QString::fromStdString(command.option_value), optionValue);
}

QTEST_APPLESS_MAIN(SimCommandTest)
#include "tst_sim_command.moc"
