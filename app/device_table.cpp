#include "app/device_table.h"

#include <QTableWidget>

#include "variables/column_list.h"
#include "widgets/column_widths.h"
#include "widgets/kpushbutton.h"

namespace device_table {
namespace {

void set_text(QTableWidget& table, int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    table.setItem(row, column, item);
}

// The identification is the whole answer line; its closing CR/LF is not worth a table glyph.
QString shown_identification(const QString& identification) {
    QString text = identification;
    while (text.endsWith(QLatin1Char('\r')) || text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text;
}

QString cells_text(const idev& dev) {
    return column_letters(dev.start_column) + QStringLiteral("..") + column_letters(dev.end_column);
}

void set_button(QTableWidget& table, int row, int column, const QString& text, const RowAction& action) {
    auto* button = new KPushButton(text, row);
    if (action) QObject::connect(button, &KPushButton::bn_clicked, button, [action](int r) { action(r); });
    table.setCellWidget(row, column, button);
}

}  // namespace

bool fill(QTableWidget& table, const std::array<idev, DeviceList::kSlots>& device_slots,
          const RowAction& setup, const RowAction& config) {
    bool all_scanned = true;
    for (int row = 0; row < int(device_slots.size()); ++row) {
        const idev& dev = device_slots[row];
        if (!dev.scanned) {
            all_scanned = false;
            continue;
        }
        if (table.rowCount() <= row) table.setRowCount(row + 1);
        set_text(table, row, kAddress, dev.address);
        set_text(table, row, kIdentification, shown_identification(dev.identification));
        const bool answered = !dev.identification.isEmpty();
        // A slot that stopped answering must not keep the texts of its earlier sensor.
        set_text(table, row, kConfiguration, answered ? dev.description : QString());
        set_text(table, row, kCells, answered ? cells_text(dev) : QString());
        if (answered) {
            set_button(table, row, kSetup, QStringLiteral("Setup"), setup);
            set_button(table, row, kConfig, QStringLiteral("Config"), config);
        } else {
            table.removeCellWidget(row, kSetup);
            table.removeCellWidget(row, kConfig);
        }
    }
    return all_scanned;
}

void clear(QTableWidget& table) {
    table.setRowCount(0);
}

void fit_columns(QTableWidget& table) {
    const auto widths = column_widths::device_table(table.viewport()->width());
    for (int c = 0; c < int(widths.size()); ++c) table.setColumnWidth(c, widths[c]);
}

}  // namespace device_table
