#pragma once

class ColumnList;
struct ValueSnapshot;
class QTableWidget;

// The Variable List table: one row per column record (letters, variable label, name, units,
// current value) plus two spare rows. Only Name and Units are editable; edits go straight into
// the column list.
// Thread: the user-interface thread.
namespace variable_table {

constexpr int kRows = 257;
constexpr int kRowHeight = 20;
enum Column : int { kLetters = 0, kVariable = 1, kName = 2, kUnits = 3, kCurrent = 4 };

// Rewrites every row from the column list without reporting the writes as edits.
void fill(QTableWidget& table, const ColumnList& columns);

// Rewrites the Current column: each column's value text, "0" beyond the list.
void refresh_current(QTableWidget& table, const ValueSnapshot& values);

// Stores the edited cell (Name or Units) of a row inside the list; other cells are ignored.
void store_edit(const QTableWidget& table, ColumnList& columns, int row, int column);

// Applies the fitting widths for the table's current viewport.
void fit_columns(QTableWidget& table);

}  // namespace variable_table
