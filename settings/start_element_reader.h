#pragma once

#include <QByteArray>
#include <QString>

#include "settings/start_element_handler.h"

// Where and why a document stopped being read; no fault when `message` is empty.
// Thread: a plain value.
struct XmlFault {
    qint64 line = 0;
    qint64 column = 0;
    QString message;

    bool found() const { return !message.isEmpty(); }
};

// Reads the settings files (varlist.xml, config.xml, device definitions): hands every start
// element, wherever it stands, to the handler in document order. End tags, text, comments, the
// document type and processing instructions are skipped. The first XML fault ends the reading;
// what was handled before it stays, and the fault is returned so the caller can say it. The
// encoding is the one the document declares (or its byte order mark), UTF-8 otherwise; in UTF-8,
// bytes that are not UTF-8 read as U+FFFD.
// Thread: whoever reads the file.
class StartElementReader {
  public:
    explicit StartElementReader(StartElementHandler& handler) : handler_(handler) {}

    XmlFault read(const QByteArray& document) const;

  private:
    StartElementHandler& handler_;
};

// What reading one settings file came to.
// Thread: a plain value.
struct SettingsFileRead {
    enum Outcome { kRead, kMissing, kNotRead, kFault };
    Outcome outcome = kRead;
    QString name;    // as shown: its folder and its name, "Config/config.xml"
    QString reason;  // kNotRead: why it was not read ("not a regular file (a FIFO)")
    XmlFault fault;  // kFault: where the reading stopped

    // The console line for a file that was not read whole, naming the file, the reason and what
    // is used instead (`defaults`, as in "using the default settings"); empty when the file was
    // read whole or does not exist: a missing file is the usual case on a new workspace.
    QString said(const QString& defaults) const;
};

// Reads the settings file at `path` into `handler`: only a regular file (or a link to one) of at
// most `max_bytes`, never blocking on a FIFO or device put in its place.
SettingsFileRead read_settings_file(const QString& path, StartElementHandler& handler, qint64 max_bytes);
