// A station's publisher in a process of its own, for the test that kills it: publishes to the
// broker at 127.0.0.1:<port> from the outbox in <outbox dir>, appending <count> records one by
// one and printing "appended <seq>" once each is in the outbox. Runs until killed.
#include <QCoreApplication>
#include <QDateTime>
#include <QThread>
#include <cstdio>

#include "link/clock.h"
#include "publish/publisher.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: publish_child <outbox dir> <port> <count>\n");
        return 2;
    }
    PublishSettings s;
    s.enabled = true;
    s.port = QByteArray(argv[2]).toInt();
    const int count = QByteArray(argv[3]).toInt();
    SystemClock clock;
    Publisher publisher(s, QString::fromLocal8Bit(argv[1]), clock,
                        [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
    publisher.start();
    const QDateTime start(QDate(2026, 12, 10), QTime(0, 0), Qt::OffsetFromUTC, 3600);
    for (int i = 1; i <= count; ++i) {
        PublishedRecord r;
        r.record = i;
        r.time = start.addSecs(i);
        r.values = {{QStringLiteral("AirTemp"), QStringLiteral("degC"), 20.0 + i % 10}};
        publisher.enqueue(r);
        std::printf("appended %d\n", i);
        std::fflush(stdout);
    }
    // Waits to be killed, publishing on its thread meanwhile.
    for (;;) QThread::sleep(60);
}
