#pragma once

#include <QByteArray>

struct DownloadedRecord;

// One line of an imported file read as a record: the line end dropped, split at every ","
// (empty fields kept), field 0 a decimal record number from -1 to 1000000, then the fields stored
// as a downloaded record's are. Field 1 is the date, or the date and time: a file with separate
// Date and Time columns keeps its date too. Returns false for any other line (a header line, a
// blank line). Pure.
bool parse_import_line(const QByteArray& line, DownloadedRecord& record);

// Whether a line (its "\n" included or not) holds a control character: any byte below 0x20
// other than a tab, and DEL; a CR only right before the line end is the line end's. Such a line
// is no text a logger wrote (a binary file, a broken transfer). Pure.
bool has_control_characters(const char* begin, const char* end);
