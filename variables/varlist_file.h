#pragma once

#include <QByteArray>
#include <QString>

class ColumnList;

// "varlist.xml": the user's texts of every column (DOCTYPE "Config", root "config", one "var" per
// column with col, name, units, formula, user1, alarm0..alarm3). Values are not stored.
// The caller passes the path (the station: Config/varlist.xml of its workspace), so tests read
// and write files in a folder of their own.

// Reads the file into the list (see parse_vars_cfg for the rules). What was applied before a fault
// stays, the rest is unchanged; a file far larger than a variable list can be is not read.
// Returns the number of elements applied; `said` (when given) gets the console line for a file
// that is there but could not be read whole, empty otherwise.
int read_varlist(ColumnList& columns, const QString& path, QString* said = nullptr);
// The same from a document in memory.
int read_varlist_data(ColumnList& columns, const QByteArray& document);

// Writes the whole list, replacing the file only once it is complete. Characters that XML cannot
// carry (control characters other than tab, CR and LF, U+FFFE, U+FFFF and half a surrogate pair)
// are left out so the file reads back whole.
// Returns 0, or -1 when the file cannot be written.
int write_varlist(const ColumnList& columns, const QString& path);
// The document write_varlist writes.
QByteArray varlist_document(const ColumnList& columns);
