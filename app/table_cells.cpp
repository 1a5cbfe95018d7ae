#include "app/table_cells.h"

#include <QHeaderView>
#include <QTableWidget>

#include "variables/column_list.h"

namespace table_cells {

void set_text(QTableWidget& table, int row, int column, const QString& text, bool editable) {
    QTableWidgetItem* item = table.item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        table.setItem(row, column, item);
    }
    item->setText(text);
    item->setFlags(editable ? item->flags() | Qt::ItemIsEditable : item->flags() & ~Qt::ItemIsEditable);
}

QString text_of(const QTableWidget& table, int row, int column) {
    const QTableWidgetItem* item = table.item(row, column);
    return item ? item->text() : QString();
}

void set_rows(QTableWidget& table, int rows, int height) {
    table.verticalHeader()->setMinimumSectionSize(qMin(height, table.verticalHeader()->minimumSectionSize()));
    table.verticalHeader()->setDefaultSectionSize(height);
    table.setRowCount(rows);
}

std::vector<column_record> copy_records(const ColumnList& columns) {
    std::vector<column_record> records;
    columns.read_all([&](const std::vector<column_record>& all) { records = all; });
    return records;
}

}  // namespace table_cells
