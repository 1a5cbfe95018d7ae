#include "core/logging_script.h"

LoggingScript build_logging_script(const std::array<idev, DeviceList::kSlots>& all) {
    LoggingScript script;
    for (int s = 0; s < DeviceList::kSlots; ++s) {
        const idev& dev = all[s];
        if (dev.definition.isEmpty()) {
            script.end_columns[s] = dev.end_column;
            continue;
        }
        const int start = dev.start_column;
        int column = -1;  // no storage position until an entry names a cell
        for (const log_entry& entry : dev.log_entries) {
            if (entry.cell >= 0) {
                column = start + entry.cell;
                script.lines.push_back("CELL " + QByteArray::number(column));
            }
            if (!entry.title.isEmpty()) {
                // A title before any cell has no column to name; it is dropped.
                if (column >= 0) {
                    script.labels.emplace_back(
                        column, entry.title + QLatin1Char('(') + dev.address + QLatin1Char(')'));
                    ++column;
                }
            }
            if (!entry.cmd.isEmpty()) {
                QString command = entry.cmd;
                if (command.startsWith(QLatin1Char('a'))) command.replace(0, 1, dev.address);
                script.lines.push_back(command.toLatin1());
            }
        }
        script.end_columns[s] = start + dev.cells - 1;
    }
    return script;
}
