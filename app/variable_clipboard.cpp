#include "app/variable_clipboard.h"

#include <QStringList>
#include <QTableWidget>
#include <algorithm>
#include <climits>

#include "app/table_cells.h"
#include "app/variable_table.h"

namespace variable_clipboard {
namespace {

struct Rect {
    int top = INT_MAX, left = INT_MAX, bottom = -1, right = -1;
    bool empty() const { return bottom < 0; }
};

constexpr int kLastClearedRow = 255;

}  // namespace

QString copy_text(const QTableWidget& table) {
    const QModelIndexList selected = table.selectionModel()->selectedIndexes();
    Rect r;
    QVector<QVector<bool>> marked(kMaxRows, QVector<bool>(kMaxColumns, false));
    for (const QModelIndex& index : selected) {
        if (index.row() >= kMaxRows || index.column() >= kMaxColumns) continue;
        marked[index.row()][index.column()] = true;
        r.top = std::min(r.top, index.row());
        r.bottom = std::max(r.bottom, index.row());
        r.left = std::min(r.left, index.column());
        r.right = std::max(r.right, index.column());
    }
    if (r.empty()) return {};
    QStringList rows;
    for (int row = r.top; row <= r.bottom; ++row) {
        QStringList cells;
        for (int column = r.left; column <= r.right; ++column)
            cells << (marked[row][column] ? table_cells::text_of(table, row, column) : QString());
        rows << cells.join(QLatin1Char('\t'));
    }
    return rows.join(QStringLiteral("\r\n"));
}

void paste_text(QTableWidget& table, const QString& text) {
    const QModelIndexList selected = table.selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return;
    int top = INT_MAX, left = INT_MAX;
    for (const QModelIndex& index : selected) {
        top = std::min(top, index.row());
        left = std::min(left, index.column());
    }
    QString plain = text;
    plain.remove(QLatin1Char('\r'));
    // A spreadsheet ends a copied block with a line end; it starts no further row.
    if (plain.endsWith(QLatin1Char('\n'))) plain.chop(1);
    const QStringList lines = plain.split(QLatin1Char('\n'));
    for (int r = 0; r < std::min(int(lines.size()), kMaxRows); ++r) {
        const QStringList cells = lines[r].split(QLatin1Char('\t'));
        for (int c = 0; c < std::min(int(cells.size()), kMaxColumns); ++c) {
            const int row = top + r, column = left + c;
            if (column < kFirstPastedColumn || row >= table.rowCount() || column >= table.columnCount())
                continue;
            const bool editable = column == variable_table::kName || column == variable_table::kUnits;
            table_cells::set_text(table, row, column, cells[c], editable);
        }
    }
}

void clear_selected(QTableWidget& table) {
    const QModelIndexList selected = table.selectionModel()->selectedIndexes();
    for (const QModelIndex& index : selected) {
        const int column = index.column();
        if (index.row() > kLastClearedRow) continue;
        if (column != variable_table::kName && column != variable_table::kUnits) continue;
        table_cells::set_text(table, index.row(), column, QString(), true);
    }
}

}  // namespace variable_clipboard
