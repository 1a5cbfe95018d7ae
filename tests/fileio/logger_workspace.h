#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

// A workspace in the "File Remote" mode under a temporary USERPROFILE, the way veld-logger finds
// it, with the import enabled and an Import/ folder; veld-logger runs over it as a user runs it.
struct LoggerWorkspace {
    LoggerWorkspace() {
        root = home.path() + QStringLiteral("/Documents/Veld/");
        for (const char* sub : {"Config", "Devices", "LOG", "Import"})
            QDir().mkpath(root + QLatin1String(sub));
        write(
            QStringLiteral("Config/config.xml"),
            "<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"2\" LogInterval=\"60\" Filename=\"field.csv\" "
            "CommMode=\"3\"/>\n</main>\n");
        write(QStringLiteral("Config/varlist.xml"),
              "<!DOCTYPE Config>\n<config>\n <var col=\"D\" name=\"Air\"/>\n"
              " <var col=\"E\" name=\"AirF\" formula=\"=D*2+1\"/>\n</config>\n");
        write(QStringLiteral("Config/fileio.xml"),
              "<!DOCTYPE Config>\n<main>\n <config name=\"imp_en\" type=\"string\" value=\"1\"/>\n</main>\n");
    }
    void write(const QString& name, const QByteArray& text,
               QIODevice::OpenMode mode = QIODevice::WriteOnly) const {
        QFile f(root + name);
        if (!f.open(mode)) qFatal("cannot write a test file");
        f.write(text);
    }
    QString log_path() const { return root + QStringLiteral("LOG/field.csv"); }
    // The lines of the log; each run starts with a header line.
    QList<QByteArray> log_lines() const {
        QFile f(log_path());
        if (!f.open(QIODevice::ReadOnly)) return {};
        QList<QByteArray> lines = f.readAll().split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }
    // Starts `veld-logger log` (without `cycles`, no record limit: it runs until it is ended).
    void start_logging(QProcess& p, int cycles = 0) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("USERPROFILE"), home.path());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        QStringList args{QStringLiteral("log")};
        if (cycles > 0) args << QStringLiteral("--cycles") << QString::number(cycles);
        p.start(qEnvironmentVariable("VELD_LOGGER"), args);
    }
    // Ends it as a user's Ctrl+C does. Returns what it printed.
    static QByteArray terminate(QProcess& p, QByteArray printed = {}) {
        ::kill(pid_t(p.processId()), SIGTERM);
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
        }
        return printed + p.readAll();
    }

    QTemporaryDir home;
    QString root;
};
