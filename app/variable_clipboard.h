#pragma once

#include <QString>

class QTableWidget;

// Clipboard editing of the Variable List: the selected rectangle as tab-separated text, pasting
// such text at the selection, and clearing the selected names and units. Cells are written
// through the table, so its edit handler stores names and units as if typed.
// Thread: the user-interface thread.
namespace variable_clipboard {

constexpr int kMaxRows = 100;
constexpr int kMaxColumns = 5;
constexpr int kFirstPastedColumn = 2;  // Col and Variable come from the list, not the user

// The bounding rectangle of the selected cells in rows 0..99, columns 0..4: cells of a row joined
// by tabs (empty where not selected), rows by CR LF. Empty without such a selection.
QString copy_text(const QTableWidget& table);

// Writes `text` (lines by LF, CRs dropped, cells by tab; at most 100 x 5) from the top-left of the
// selection, into columns 2 and higher only. A line end at the very end adds no row.
void paste_text(QTableWidget& table, const QString& text);

// Empties every selected Name or Units cell of rows 0..255.
void clear_selected(QTableWidget& table);

}  // namespace variable_clipboard
