#include "app/formula_alarm_tables.h"

#include <QSignalBlocker>
#include <QTableWidget>

#include "app/table_cells.h"
#include "app/variable_table.h"
#include "variables/column_list.h"

namespace formula_alarm_tables {

using table_cells::set_text;

namespace {

// Rewrites every row without reporting the writes as edits; write_row(row, record, listed)
// fills one row (`listed` is false for the spare rows beyond the list).
template <class WriteRow>
void fill_rows(QTableWidget& table, const ColumnList& columns, WriteRow write_row) {
    const QSignalBlocker quiet(table);
    table_cells::set_rows(table, variable_table::kRows, variable_table::kRowHeight);
    const std::vector<column_record> records = table_cells::copy_records(columns);
    const column_record empty;
    for (int row = 0; row < variable_table::kRows; ++row) {
        const bool listed = row < int(records.size());
        write_row(row, listed ? records[row] : empty, listed);
    }
}

}  // namespace

void fill_formulas(QTableWidget& table, const ColumnList& columns) {
    fill_rows(table, columns, [&](int row, const column_record& r, bool listed) {
        set_text(table, row, 0, r.letters, false);
        set_text(table, row, 1, r.label, false);
        set_text(table, row, kName, r.name, false);
        set_text(table, row, kFormula, r.formula, listed);
    });
}

void fill_alarms(QTableWidget& table, const ColumnList& columns) {
    fill_rows(table, columns, [&](int row, const column_record& r, bool listed) {
        set_text(table, row, 0, r.letters, false);
        for (int level = kFirstLevel; level <= kLastLevel; ++level)
            set_text(table, row, level, r.alarm[level - kFirstLevel], listed);
    });
}

void store_formula_edit(const QTableWidget& table, ColumnList& columns, int row, int column) {
    if (row < 0 || row >= columns.size() || column != kFormula) return;
    columns.set_formula(row, table_cells::text_of(table, row, column));
}

void store_alarm_edit(const QTableWidget& table, ColumnList& columns, int row, int column) {
    if (row < 0 || row >= columns.size() || column < kFirstLevel || column > kLastLevel) return;
    columns.set_alarm(row, column - kFirstLevel, table_cells::text_of(table, row, column));
}

}  // namespace formula_alarm_tables
