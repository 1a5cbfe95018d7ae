#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "devices/idev.h"

// The association list of "devassoc.xml": which device definitions fit which identifications.
// Read only; the Device Setup dialog reads it anew at every opening.
// Plain data and pure functions; any thread.
struct assoc_entry {
    QString id;    // looked for in a slot's identification; empty fits every slot
    QString file;  // definition name in Devices/
    QString name;  // shown in the Configuration list
};

namespace device_association {

// Every `assoc` element, wherever it stands, in file order. A malformed file gives the entries
// before the fault.
std::vector<assoc_entry> read(const QByteArray& xml);
// The same from the file at `path` into `entries`. Returns the console line for a file that is
// there but could not be read whole; empty when it was read or does not exist.
QString read_file(const QString& path, std::vector<assoc_entry>& entries);

// The entries that fit an identification: empty id, or id found in it (case-sensitive).
std::vector<assoc_entry> fitting(const std::vector<assoc_entry>& all, const QString& identification);

// Position in `fitting` of the last entry whose file is `definition`, or -1.
int selected_position(const std::vector<assoc_entry>& fitting, const QString& definition);

// The definition the Device Setup dialog offers first for an identification: the file of the first
// fitting entry; empty when nothing fits.
QString default_definition(const std::vector<assoc_entry>& all, const QString& identification);

// Record, Date and Time come first; a device starts at D or later.
constexpr int kFirstStartColumn = 3;
constexpr int kLastColumn = 254;  // IU

// The slot other than `slot` whose columns overlap `cells` columns from `start`, or -1. A slot
// without cells takes no columns.
int overlapping_slot(const std::vector<idev>& devices, int slot, int start, int cells);

// The first column from D where `cells` columns (at least one) overlap no other slot's; -1 when
// no such place is left before IU.
int next_free_column(const std::vector<idev>& devices, int slot, int cells);

// A start column as the dialog shows it back: "C" 2, "AA" 26, "NK" 374, "NL..." reads N (13),
// lower case as upper; a text that does not start with a letter gives 0.
int start_column_of(const QString& letters);

}  // namespace device_association
