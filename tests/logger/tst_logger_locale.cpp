// A logging cycle through the real programs under a German locale writes the same record as
// under the "C" locale: the simulator, the answer parser, the formulas and the record writer all
// keep "." as the decimal point.
#include <QProcess>
#include <QtTest>

#include "../core/sim_process.h"
#include "decimal_comma_locale.h"

namespace {

const QByteArray kSensor =
    "[sensor]\naddress = 0\nid = 13VELDINSTTH100 100SN0001\nm_seconds = 0\nvalues = 21.50 -3.25\n";

// The record's values: the sensor's two, a column nobody measured, a formula and a formula without a value.
const QByteArray kValues = "21.500000,-3.250000,nan,70.699997,nan";

// LANG and LC_ALL of this process for a scope; the programs it starts inherit them.
// Thread: the test's thread.
class LocaleVariables {
  public:
    explicit LocaleVariables(const QByteArray& name)
        : lang_(qgetenv("LANG")),
          lc_all_(qgetenv("LC_ALL")),
          had_lang_(qEnvironmentVariableIsSet("LANG")),
          had_lc_all_(qEnvironmentVariableIsSet("LC_ALL")) {
        qputenv("LANG", name);
        qputenv("LC_ALL", name);
    }
    ~LocaleVariables() {
        restore("LANG", had_lang_, lang_);
        restore("LC_ALL", had_lc_all_, lc_all_);
    }

  private:
    static void restore(const char* variable, bool had, const QByteArray& value) {
        if (had)
            qputenv(variable, value);
        else
            qunsetenv(variable);
    }
    QByteArray lang_, lc_all_;
    bool had_lang_, had_lc_all_;
};

// A workspace with one sensor at address 0 and two formulas, under a temporary USERPROFILE.
class Workspace {
  public:
    Workspace() : root_(home_.path() + QStringLiteral("/Documents/Veld/")) {
        for (const char* sub : {"Config", "Devices", "LOG"}) QDir().mkpath(root_ + QLatin1String(sub));
        write(
            "Config/config.xml",
            "<main><config PortNo=\"2\" LogInterval=\"2\" Filename=\"field.csv\" CommMode=\"0\"/>"
            "<device addr=\"0\" id=\"0I!013VELDINSTTH100 100SN0001\" config=\"th.xml\" start=\"D\"/></main>");
        write("Devices/th.xml",
              "<device><main description=\"TH\" cells=\"2\"/><log cell=\"0\" cmd=\"aM!\"/><log cmd=\"aD0!\"/>"
              "</device>");
        write("Config/varlist.xml",
              "<config><var col=\"G\" formula=\"=D*1.8+32\"/><var col=\"H\" formula=\"=7%2\"/></config>");
    }
    const QString& root() const { return root_; }

    // Runs one logging cycle; the log file's record line, or the program's output when it failed.
    QByteArray log_one_cycle() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("USERPROFILE"), home_.path());
        QProcess logger;
        logger.setProcessEnvironment(environment);
        logger.setProcessChannelMode(QProcess::MergedChannels);
        logger.start(qEnvironmentVariable("VELD_LOGGER"), {"log", "--cycles", "1"});
        if (!logger.waitForFinished(30000) || logger.exitCode() != 0) return "failed: " + logger.readAll();
        QFile log(root_ + QStringLiteral("LOG/field.csv"));
        if (!log.open(QIODevice::ReadOnly)) return "no log file";
        const QList<QByteArray> lines = log.readAll().split('\n');
        return lines.size() == 3 ? lines[1] : "not one record";
    }

  private:
    void write(const char* name, const QByteArray& text) {
        QFile f(root_ + QLatin1String(name));
        if (f.open(QIODevice::WriteOnly)) f.write(text);
    }
    QTemporaryDir home_;
    QString root_;
};

// The record's fields after its number, date and time ("0,7 Dec 2026, 16:14:34,").
QByteArray values_of(const QByteArray& record) {
    return record.split(',').mid(3).join(',');
}

// One logging cycle with both programs under `locale`; the record line.
QByteArray record_under(const QByteArray& locale) {
    const LocaleVariables variables(locale);
    Workspace workspace;
    SimProcess sim;
    if (!sim.start(workspace.root(), kSensor)) return "the simulator did not start";
    return workspace.log_one_cycle();
}

}  // namespace

class LoggerLocaleTest : public QObject {
    Q_OBJECT
  private slots:
    void recordIsTheSameUnderAGermanLocale();
};

void LoggerLocaleTest::recordIsTheSameUnderAGermanLocale() {
    if (!DecimalCommaLocale::installed()) QSKIP(DecimalCommaLocale::kMissing);
    const QByteArray c_record = record_under("C");
    QCOMPARE(values_of(c_record), kValues);
    const QByteArray german_record = record_under(DecimalCommaLocale::kName);
    QVERIFY2(values_of(german_record) == values_of(c_record),
             ("C: " + c_record + "\nde_DE.UTF-8: " + german_record).constData());
}

QTEST_GUILESS_MAIN(LoggerLocaleTest)
#include "tst_logger_locale.moc"
