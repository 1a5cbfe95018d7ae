#include "variables/ui/kselect_col_dlg.h"

#include <vector>

#include "ui_kselect_col_dlg.h"
#include "variables/column_list.h"
#include "widgets/column_widths.h"
#include "widgets/kpushbutton.h"

namespace {

const std::vector<int> kWeights{50, 200, 200, 100, 50};  // of 600: the fitted widths

QTableWidgetItem* read_only_item(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

Kselect_col_dlg::Kselect_col_dlg(ColumnList& columns, QWidget* parent)
    : QDialog(parent), columns_(columns), ui_(std::make_unique<Ui::Kselect_col_dlg>()) {
    ui_->setupUi(this);
    QTableWidget& table = *ui_->tableWidget;
    for (int c = 0; c < int(kWeights.size()); ++c) table.setColumnWidth(c, kWeights[c]);
    rebuild();
    ready_ = true;
}

Kselect_col_dlg::~Kselect_col_dlg() = default;

void Kselect_col_dlg::rebuild() {
    QTableWidget& table = *ui_->tableWidget;
    table.setRowCount(kRows);
    // A copy taken under the list's lock; the cells are filled outside it, so the acquisition
    // threads never wait for the table.
    std::vector<column_record> records;
    columns_.read_all([&](const std::vector<column_record>& all) { records = all; });
    listed_rows_ = qMin(int(records.size()), kRows);
    for (int row = 0; row < kRows; ++row) {
        if (row >= listed_rows_) {
            for (int c = kLetters; c <= kUnits; ++c) delete table.takeItem(row, c);
            table.removeCellWidget(row, kSelect);
            continue;
        }
        const column_record& r = records[row];
        table.setItem(row, kLetters, read_only_item(r.letters));
        table.setItem(row, kVariable, read_only_item(r.label));
        table.setItem(row, kName, read_only_item(r.name));
        table.setItem(row, kUnits, read_only_item(r.units));
        if (!qobject_cast<KPushButton*>(table.cellWidget(row, kSelect))) {
            auto* button = new KPushButton(QStringLiteral("Select"), row);
            connect(button, &KPushButton::bn_clicked, this, &Kselect_col_dlg::selected);
            table.setCellWidget(row, kSelect, button);
        }
    }
    show_marks();
    fit_columns();
}

void Kselect_col_dlg::mark_rows(const QList<int>& rows) {
    marked_rows_ = rows;
    show_marks();
}

void Kselect_col_dlg::show_marks() {
    QTableWidget& table = *ui_->tableWidget;
    for (int row = 0; row < listed_rows_; ++row) {
        table.item(row, kLetters)->setData(Qt::CheckStateRole, QVariant());
    }
    for (int row : marked_rows_) {
        if (row >= 0 && row < listed_rows_) table.item(row, kLetters)->setCheckState(Qt::Checked);
    }
}

void Kselect_col_dlg::selected(int row) {
    hide();
    emit columnSelected(tag_mode_ == 1 ? row * 256 + (tag_value_ & 0xFF) : row);
}

void Kselect_col_dlg::fit_columns() {
    if (!ready_) return;
    QTableWidget& table = *ui_->tableWidget;
    const auto widths = column_widths::weighted(table.viewport()->width(), kWeights);
    for (int c = 0; c < int(widths.size()); ++c) table.setColumnWidth(c, widths[c]);
}

void Kselect_col_dlg::showEvent(QShowEvent* event) {
    rebuild();
    QDialog::showEvent(event);
}

void Kselect_col_dlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fit_columns();
}
