#pragma once

#include <QString>
#include <vector>

class QTableWidget;
class ColumnList;
struct column_record;

// Cell helpers shared by the tables that show the column list.
// Thread: the user-interface thread.
namespace table_cells {

// Writes `text` into a cell, creating its item, editable or read-only.
void set_text(QTableWidget& table, int row, int column, const QString& text, bool editable);
// The text of a cell, empty when it has no item.
QString text_of(const QTableWidget& table, int row, int column);
// Sets `rows` rows of `height` pixels (the minimum first: the default is clamped to it).
void set_rows(QTableWidget& table, int rows, int height);
// A copy of the column records taken under the list's lock, so widgets fill outside it.
std::vector<column_record> copy_records(const ColumnList& columns);

}  // namespace table_cells
