#pragma once

#include <QByteArray>

struct DownloadedRecord;

// One line of an imported file read as a record: the line end dropped, split at every ","
// (empty fields kept), field 0 a decimal record number from -1 to 1000000, then the fields stored
// as a downloaded record's are. Field 1 is the date, or the date and time: a file with separate
// Date and Time columns keeps its date too. Returns false for any other line (a header line, a
// blank line). Pure.
bool parse_import_line(const QByteArray& line, DownloadedRecord& record);
