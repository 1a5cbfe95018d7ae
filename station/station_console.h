#pragma once

#include <QObject>
#include <QString>

#include "core/notice_queue.h"

// The station's one console: the lines of every worker (the core, the download, the import), of
// the record log and of the station itself reach the windows and veld-logger through it, each
// worker's lines in that worker's order.
// Thread: lives on the station's thread; print() may be called from any thread.
class StationConsole : public QObject {
    Q_OBJECT
  public:
    StationConsole() : notices_(*this) {}

    // Prints a line ("\r\n" is added) on the station's thread.
    void print(const QString& text);
    Q_INVOKABLE void deliver_notices() { notices_.deliver(); }

  signals:
    void printline(QString text);

  private:
    NoticeQueue notices_;
};
