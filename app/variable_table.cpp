#include "app/variable_table.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidget>

#include "app/table_cells.h"
#include "variables/column_list.h"
#include "variables/value_snapshot.h"
#include "widgets/column_widths.h"

namespace variable_table {
using table_cells::set_text;
using table_cells::text_of;

void fill(QTableWidget& table, const ColumnList& columns) {
    const QSignalBlocker quiet(table);
    table_cells::set_rows(table, kRows, kRowHeight);
    // The cells are filled outside the list's lock, so the worker never waits for the table.
    const std::vector<column_record> records = table_cells::copy_records(columns);
    const column_record empty;
    for (int row = 0; row < kRows; ++row) {
        const bool listed = row < int(records.size());
        const column_record& r = listed ? records[row] : empty;
        set_text(table, row, kLetters, r.letters, false);
        set_text(table, row, kVariable, r.label, false);
        set_text(table, row, kName, r.name, listed);
        set_text(table, row, kUnits, r.units, listed);
        set_text(table, row, kCurrent, listed ? r.value_text : QStringLiteral("0"), false);
    }
}

void refresh_current(QTableWidget& table, const ValueSnapshot& values) {
    const QSignalBlocker quiet(table);
    for (int row = 0; row < table.rowCount(); ++row) set_text(table, row, kCurrent, values.text(row), false);
}

void store_edit(const QTableWidget& table, ColumnList& columns, int row, int column) {
    if (row < 0 || row >= columns.size()) return;
    if (column == kName) columns.set_name(row, text_of(table, row, column));
    if (column == kUnits) columns.set_units(row, text_of(table, row, column));
}

void fit_columns(QTableWidget& table) {
    const auto widths =
        column_widths::weighted(table.viewport()->width(), column_widths::kVariableListWeights);
    for (int c = 0; c < int(widths.size()); ++c) table.setColumnWidth(c, widths[c]);
}

}  // namespace variable_table
