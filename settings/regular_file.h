#pragma once

#include <QFile>
#include <QString>

// Opening a file that must be a regular file (a symbolic link to one will do), never blocking:
// a FIFO, device, socket or directory in its place is refused without being opened, and the
// check is made again on what was opened, so a file swapped in between is refused as well.
// Thread: any; it keeps no state.

struct RegularFileOpen {
    bool opened = false;
    bool missing = false;  // the file does not exist (the usual case on a new workspace)
    QString reason;        // why it was not opened: "not a regular file (a FIFO)", "Permission denied"
};

// Opens `file` (its file name set) in `mode`. A writing mode creates a missing file.
RegularFileOpen open_regular_file(QFile& file, QIODevice::OpenMode mode);
