#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#ifndef Q_OS_WIN
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

// What a test broker asks of its clients.
// Thread: a plain value.
struct TestBrokerOptions {
    QString user;  // with a password: anonymous clients are refused
    QString password;
    bool tls = false;  // a TLS listener with a certificate signed by the test's CA
};

// A real mosquitto broker for the tests, on 127.0.0.1 at a free port, with its configuration,
// its persistent store and, when asked for, its password file and TLS certificates in a
// temporary folder. Stopped and started again on the same port; stopped for good at the end.
// Thread: the test's.
class TestBroker {
  public:
    static QString program() { return QStringLiteral("/usr/sbin/mosquitto"); }
    static bool installed() { return QFileInfo(program()).isExecutable(); }

    using Options = TestBrokerOptions;

    explicit TestBroker(Options options = {}) : options_(std::move(options)) {
        root_ = dir_.path() + QLatin1Char('/');
        port_ = free_port();
    }
    ~TestBroker() { stop(); }

    int port() const { return port_; }
    QString path(const QString& name) const { return root_ + name; }
    QString ca_file() const { return path(QStringLiteral("ca.crt")); }

    // Writes the configuration (the first time) and starts the broker; true once it accepts.
    bool start() {
        if (!configured_ && !configure()) return false;
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(QProcess::MergedChannels);
        process_->setStandardOutputFile(path(QStringLiteral("broker.log")), QIODevice::Append);
        process_->start(program(), {QStringLiteral("-c"), path(QStringLiteral("mosquitto.conf"))});
        if (!process_->waitForStarted(10000)) return false;
        return QTest::qWaitFor([this] { return accepts(); }, 20000);
    }
    // Ends the broker as a service manager would (it saves its store), and waits for it.
    void stop() {
        if (!process_) return;
        process_->terminate();
        if (!process_->waitForFinished(20000)) {
            process_->kill();
            process_->waitForFinished(5000);
        }
        process_.reset();
    }
    bool running() const { return process_ && process_->state() == QProcess::Running; }

    // Runs a helper program in the broker's folder; true when it ended well.
    bool run(const QString& program, const QStringList& arguments) {
        QProcess p;
        p.setWorkingDirectory(root_);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, arguments);
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            qWarning("%s failed: %s", qPrintable(program), p.readAll().constData());
            return false;
        }
        return true;
    }

  private:
    bool configure() {
        QByteArray conf = "listener " + QByteArray::number(port_) + " 127.0.0.1\n";
        conf += "persistence true\npersistence_location " + QFile::encodeName(root_) + "\n";
        conf += "log_dest stdout\n";
        // A subscriber slowed by the test's own pace must not lose messages at the broker.
        conf += "max_queued_messages 0\n";
#ifndef Q_OS_WIN
        // Started as root, mosquitto would become the mosquitto user and could not read its files.
        if (::getuid() == 0) conf += "user root\n";
#endif
        if (options_.user.isEmpty()) {
            conf += "allow_anonymous true\n";
        } else {
            if (!run(QStringLiteral("mosquitto_passwd"),
                     {QStringLiteral("-c"), QStringLiteral("-b"), path(QStringLiteral("passwd")),
                      options_.user, options_.password}))
                return false;
            conf += "allow_anonymous false\npassword_file " +
                    QFile::encodeName(path(QStringLiteral("passwd"))) + "\n";
        }
        if (options_.tls) {
            if (!make_certificates()) return false;
            conf += "cafile " + QFile::encodeName(ca_file()) + "\n";
            conf += "certfile " + QFile::encodeName(path(QStringLiteral("server.crt"))) + "\n";
            conf += "keyfile " + QFile::encodeName(path(QStringLiteral("server.key"))) + "\n";
        }
        QFile file(path(QStringLiteral("mosquitto.conf")));
        if (!file.open(QIODevice::WriteOnly) || file.write(conf) != conf.size()) return false;
        configured_ = true;
        return true;
    }

    // A CA and a server certificate for 127.0.0.1 signed by it (elliptic-curve keys: quick to make).
    bool make_certificates() {
        const QString openssl = QStringLiteral("openssl");
        const QStringList ec = {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                                QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
        QFile ext(path(QStringLiteral("server.ext")));
        if (!ext.open(QIODevice::WriteOnly) || ext.write("subjectAltName=IP:127.0.0.1\n") < 0) return false;
        ext.close();
        return run(openssl, QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ec +
                                QStringList{QStringLiteral("-keyout"), QStringLiteral("ca.key"),
                                            QStringLiteral("-out"), QStringLiteral("ca.crt"),
                                            QStringLiteral("-days"), QStringLiteral("2"),
                                            QStringLiteral("-subj"), QStringLiteral("/CN=Veld test CA")}) &&
               run(openssl, QStringList{QStringLiteral("req")} + ec +
                                QStringList{QStringLiteral("-keyout"), QStringLiteral("server.key"),
                                            QStringLiteral("-out"), QStringLiteral("server.csr"),
                                            QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")}) &&
               run(openssl,
                   {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                    QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("ca.crt"),
                    QStringLiteral("-CAkey"), QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
                    QStringLiteral("-out"), QStringLiteral("server.crt"), QStringLiteral("-days"),
                    QStringLiteral("2"), QStringLiteral("-extfile"), QStringLiteral("server.ext")});
    }

    // A port nobody listens on now: the one the system gives a socket bound to port 0.
    static int free_port() {
#ifndef Q_OS_WIN
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        int port = 0;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) == 0)
            port = ntohs(a.sin_port);
        ::close(fd);
        return port;
#else
        return 18830;
#endif
    }

    bool accepts() const {
#ifndef Q_OS_WIN
        if (!running()) return false;
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(quint16(port_));
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        ::close(fd);
        return ok;
#else
        return false;
#endif
    }

    Options options_;
    QTemporaryDir dir_;
    QString root_;
    int port_ = 0;
    bool configured_ = false;
    std::unique_ptr<QProcess> process_;
};

// A subscriber: mosquitto_sub printing "topic payload" lines, collected as they come. With an
// id it keeps its session (QoS 1) across its own reconnects and the broker's restarts.
// Thread: the test's; lines arrive while the event loop runs (QTRY_*, QTest::qWaitFor).
class TestSubscriber {
  public:
    struct Message {
        QString topic;
        QByteArray payload;
    };

    TestSubscriber(const TestBroker& broker, const QString& topic_filter,
                   const QString& session_id = QString(), const QStringList& extra = {}) {
        QStringList args = {QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
                            QStringLiteral("-p"), QString::number(broker.port()),
                            QStringLiteral("-v"), QStringLiteral("-q"),
                            QStringLiteral("1"),  QStringLiteral("-t"),
                            topic_filter};
        if (!session_id.isEmpty()) args << QStringLiteral("-c") << QStringLiteral("-i") << session_id;
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { take(); });
        process_.start(QStringLiteral("mosquitto_sub"), args + extra);
        process_.waitForStarted(10000);
        port_ = broker.port();
        extra_ = extra;
    }

    // True once the subscription stands: a probe published on `probe_topic` (inside the filter)
    // came back.
    bool ready(const QString& probe_topic) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            QProcess::execute(QStringLiteral("mosquitto_pub"),
                              QStringList{QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
                                          QStringLiteral("-p"), QString::number(port_), QStringLiteral("-t"),
                                          probe_topic, QStringLiteral("-m"), QStringLiteral("probe")} +
                                  extra_);
            if (QTest::qWaitFor([&] { return !on(probe_topic).isEmpty(); }, 300)) return true;
        }
        return false;
    }
    ~TestSubscriber() {
        process_.kill();
        process_.waitForFinished(5000);
    }

    const QList<Message>& messages() const { return messages_; }
    // The payloads that came on `topic`, in order.
    QList<QByteArray> on(const QString& topic) const {
        QList<QByteArray> payloads;
        for (const Message& m : messages_)
            if (m.topic == topic) payloads << m.payload;
        return payloads;
    }

  private:
    void take() {
        buffer_ += process_.readAllStandardOutput();
        int end;
        while ((end = buffer_.indexOf('\n')) >= 0) {
            const QByteArray line = buffer_.left(end);
            buffer_.remove(0, end + 1);
            const int space = line.indexOf(' ');
            if (space > 0) messages_.append({QString::fromUtf8(line.left(space)), line.mid(space + 1)});
        }
    }

    QProcess process_;
    int port_ = 0;
    QStringList extra_;
    QByteArray buffer_;
    QList<Message> messages_;
};
