#pragma once

#include <QString>
#include <QStringList>

class ColumnList;

// One record line of the remote logger or of an imported file, split into what goes into the
// columns: field 0 the record number, field 1 the date (or date and time, "2013-05-01 10:00:00",
// whose time part then stands for field 2), field 2 the time, fields 3 onward the column values.
// Pure.
struct DownloadedRecord {
    QString number;
    QString date;
    QString time;
    QStringList values;  // fields 3 onward

    // Splits a line. Returns false when the first field is not a record number (a modem message
    // such as RING or NO CARRIER, noise on the line): such a line is no record.
    static bool parse(const QString& line, DownloadedRecord& record);
    // The same for fields already split, whatever field 0 holds (the file import has its own
    // rule for record numbers).
    static DownloadedRecord from_fields(const QStringList& fields);

    // Stores the texts of columns 0..2 and the texts and values of columns 3 onward, as far as
    // the list reaches, in one locked edit. Columns up to `highest_column` that the line does not
    // fill, and fields that are no number, become NaN: never the previous record's values.
    void store(ColumnList& columns, int highest_column) const;
};
