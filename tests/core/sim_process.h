#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QThread>
#include <QtTest>

// veld-sim running on a pseudo-terminal linked as <workspace root>Ports/COM<port>.
// Thread: the test's thread.
class SimProcess {
  public:
    // Writes `config` next to the workspace and starts the simulator; false when it did not
    // come up within a few seconds.
    bool start(const QString& root, const QByteArray& config, int port = 2) {
        const QString program = qEnvironmentVariable("VELD_SIM");
        if (program.isEmpty()) return false;
        const QString config_path = root + QStringLiteral("sim.conf");
        QFile f(config_path);
        if (!f.open(QIODevice::WriteOnly) || f.write(config) != config.size()) return false;
        f.close();
        link_ = root + QStringLiteral("Ports/COM%1").arg(port);
        // Its output stays with this process: a crashed test leaves no simulator holding CTest's pipes.
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(program, {QStringLiteral("--workspace"), root, QStringLiteral("--port"),
                                 QString::number(port), QStringLiteral("--config"), config_path});
        if (!process_.waitForStarted(5000)) return false;
        // Ready once the link exists and the line saying so was printed.
        for (int i = 0; i < 500; ++i) {
            if (QFileInfo::exists(link_) && process_.canReadLine()) return true;
            process_.waitForReadyRead(10);
        }
        return false;
    }
    ~SimProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000)) process_.kill();
            process_.waitForFinished(1000);
        }
    }
    QString link() const { return link_; }

  private:
    QProcess process_;
    QString link_;
};
