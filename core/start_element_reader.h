#pragma once

#include <QByteArray>

#include "core/start_element_handler.h"

// Reads the settings files (varlist.xml, config.xml, device definitions): hands every start
// element, wherever it stands, to the handler in document order. End tags, text, comments, the
// document type and processing instructions are skipped. The first XML fault ends the reading;
// what was handled before it stays. The encoding is the one the document declares (or its byte
// order mark), UTF-8 otherwise; in UTF-8, bytes that are not UTF-8 read as U+FFFD.
// Thread: whoever reads the file.
class StartElementReader {
  public:
    explicit StartElementReader(StartElementHandler& handler) : handler_(handler) {}

    void read(const QByteArray& document) const;

  private:
    StartElementHandler& handler_;
};
