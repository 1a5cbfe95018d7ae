#include "devices/ui/kedit_device_cfg.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidgetItem>
#include <algorithm>

#include "core/option_commands.h"
#include "core/sdi12_core.h"
#include "devices/device_list.h"
#include "ui_kedit_device_cfg.h"
#include "widgets/kaction.h"
#include "widgets/kpushbutton.h"

namespace {
const QString kLabel = QStringLiteral("LABEL");
const QString kFloat = QStringLiteral("FLOAT");
const QString kSelect = QStringLiteral("SELECT");
const QString kCmd = QStringLiteral("CMD");
const QColor kAsRead(255, 255, 255);
const QColor kChanged(255, 127, 127);
constexpr int kStartWidths[] = {200, 200, 50};
constexpr int kButtonWidth = 50;

// Edits only cells that hold an item (the values of FLOAT and SELECT rows); the others show
// labels and buttons, and typing under them would store text nobody sees.
class ItemCellsOnly : public QStyledItemDelegate {
  public:
    explicit ItemCellsOnly(QTableWidget* table) : QStyledItemDelegate(table), table_(table) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (!table_->item(index.row(), index.column())) return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

  private:
    QTableWidget* table_;
};
}  // namespace

Kedit_device_cfg::Kedit_device_cfg(DeviceList& devices, sdi12_core& core, QWidget* parent)
    : QDialog(parent), devices_(devices), core_(core), ui_(std::make_unique<Ui::Kedit_device_cfg>()) {
    ui_->setupUi(this);
    ui_->tableWidget->setItemDelegate(new ItemCellsOnly(ui_->tableWidget));
    connect(ui_->tableWidget, &QTableWidget::cellChanged, this, &Kedit_device_cfg::on_cell_changed);
    connect(&core_, &sdi12_core::multicmd_finnished, this, &Kedit_device_cfg::on_devopt_changed,
            Qt::QueuedConnection);
    connect(&core_, &sdi12_core::cmd_finnished, this, &Kedit_device_cfg::on_cmd_end, Qt::QueuedConnection);
}

Kedit_device_cfg::~Kedit_device_cfg() = default;

void Kedit_device_cfg::setup(int slot) {
    slot_ = devices_.slot(slot);
    for (dev_opt& option : slot_.options) option.current_value.clear();
    taken_.assign(slot_.options.size(), false);
    pending_row_ = -1;

    QTableWidget& table = *ui_->tableWidget;
    table.clear();
    table.setRowCount(0);  // rows of a slot shown before with more options go too
    table.setColumnCount(4);
    table.setHorizontalHeaderLabels(
        {QStringLiteral("Property"), QStringLiteral("Value"), QStringLiteral("tool"), QStringLiteral("Set")});
    for (int c = 0; c < 3; ++c) table.setColumnWidth(c, kStartWidths[c]);
    // The options are listed at once (with empty values) so that a silent sensor still shows them.
    fill_rows();
    fit_columns();
    bool readable = false;
    for (const dev_opt& option : slot_.options) readable = readable || !option.read_cmd.isEmpty();
    batch_ = readable ? core_.do_multicmd({slot_.options, slot_.address}) : 0;
}

void Kedit_device_cfg::take_readings() {
    const OptionBatchReply reply = core_.option_batch_reply();
    if (batch_ == 0 || reply.batch != batch_) return;  // another batch's (or none of ours)
    for (std::size_t i = 0; i < reply.readings.size() && i < slot_.options.size(); ++i) {
        // Each reading is taken once: a value written since then stays.
        if (!reply.readings[i].answered || taken_[i]) continue;
        slot_.options[i].current_value = reply.readings[i].value;
        slot_.options[i].raw_answer = reply.readings[i].raw_answer;
        taken_[i] = true;
    }
}

void Kedit_device_cfg::on_devopt_changed() {
    take_readings();
    fill_rows();
}

void Kedit_device_cfg::fill_rows() {
    QTableWidget& table = *ui_->tableWidget;
    for (int row = 0; row < int(slot_.options.size()); ++row) {
        const dev_opt& option = slot_.options[std::size_t(row)];
        const bool editable = option.type == kFloat || option.type == kSelect;
        if (!editable && option.type != kLabel && option.type != kCmd) continue;  // not shown
        for (int added = table.rowCount(); added <= row; ++added) {
            table.setRowCount(added + 1);
            table.setRowHeight(added, kRowHeight);
        }
        set_label(row, kProperty, option.description);
        if (option.type == kLabel) {
            set_label(row, kValue, option.current_value);
        } else if (editable) {
            set_value(row, option.current_value);
            add_tool_button(row, option);
            add_set_button(row, kSet, QStringLiteral("Set"));
        } else {
            add_set_button(row, kTool, QStringLiteral("Action"));
        }
    }
}

void Kedit_device_cfg::set_label(int row, int column, const QString& text) {
    QTableWidget& table = *ui_->tableWidget;
    if (auto* label = qobject_cast<QLabel*>(table.cellWidget(row, column))) {
        label->setText(text);
        return;
    }
    auto* label = new QLabel(text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setContentsMargins(3, 0, 3, 0);  // as far in as the text of an item
    table.setCellWidget(row, column, label);
}

void Kedit_device_cfg::set_value(int row, const QString& text) {
    QTableWidget& table = *ui_->tableWidget;
    if (QTableWidgetItem* item = table.item(row, kValue)) {
        item->setText(text);
        return;
    }
    table.setItem(row, kValue, new QTableWidgetItem(text));
}

void Kedit_device_cfg::add_set_button(int row, int column, const QString& text) {
    QTableWidget& table = *ui_->tableWidget;
    if (table.cellWidget(row, column)) return;
    auto* button = new KPushButton(text, row);
    connect(button, &KPushButton::bn_clicked, this, &Kedit_device_cfg::on_devopt_set);
    table.setCellWidget(row, column, button);
}

void Kedit_device_cfg::add_tool_button(int row, const dev_opt& option) {
    QTableWidget& table = *ui_->tableWidget;
    if (table.cellWidget(row, kTool)) return;
    auto* button = new KPushButton(QStringLiteral("Tool"), row);
    auto* menu = new QMenu(button);
    if (option.type == kSelect) {
        for (int i = 0; i < option.displayed_values.size(); ++i)
            menu->addAction(new KAction(option.displayed_values.at(i), row, i, menu));
    }
    menu->addAction(new KAction(QStringLiteral("Default"), row, kDefault, menu));
    menu->addAction(new KAction(QStringLiteral("Undo"), row, kUndo, menu));
    menu->addAction(new KAction(QStringLiteral("Cancel"), row, kCancel, menu));
    connect(menu, &QMenu::triggered, this, &Kedit_device_cfg::on_tool_popup_menu);
    button->setMenu(menu);  // a click opens the menu
    table.setCellWidget(row, kTool, button);
}

QString Kedit_device_cfg::value_text(int row) const {
    const QTableWidgetItem* item = ui_->tableWidget->item(row, kValue);
    return item ? item->text() : QString();
}

void Kedit_device_cfg::on_cell_changed(int row, int column) {
    QTableWidgetItem* item = ui_->tableWidget->item(row, column);
    if (!item || row < 0 || row >= int(slot_.options.size())) return;
    const bool as_read = item->text() == slot_.options[std::size_t(row)].current_value;
    // The colour is item data too: it must not come back here as another change.
    const QSignalBlocker quiet(ui_->tableWidget);
    item->setBackground(as_read ? kAsRead : kChanged);
}

void Kedit_device_cfg::on_devopt_set(int row) {
    if (row < 0 || row >= int(slot_.options.size())) return;
    const dev_opt& option = slot_.options[std::size_t(row)];
    const QString command = build_command(option, kWriteOption, slot_.address, value_text(row));
    if (command.isEmpty()) return;  // the option cannot be written
    pending_command_ = command;
    pending_row_ = row;
    core_.do_cmd(command, 0);
}

void Kedit_device_cfg::on_cmd_end() {
    if (pending_row_ < 0) return;
    const int row = pending_row_;
    if (row < int(slot_.options.size()) && !core_.last_answer().isEmpty())
        slot_.options[std::size_t(row)].current_value = value_text(row);
    fill_rows();
    on_cell_changed(row, kValue);
    pending_row_ = -1;
}

void Kedit_device_cfg::on_tool_popup_menu(QAction* action) {
    const auto* entry = qobject_cast<const KAction*>(action);
    if (!entry) return;
    const int row = entry->tag();
    const int which = entry->tag2();
    if (row < 0 || row >= int(slot_.options.size())) return;
    const dev_opt& option = slot_.options[std::size_t(row)];
    QTableWidgetItem* item = ui_->tableWidget->item(row, kValue);
    if (!item) return;
    // Setting the text raises cellChanged, which colours the cell.
    if (which == kDefault) item->setText(option.default_value);
    if (which == kUndo) item->setText(option.current_value);
    if (which >= 0 && which < option.stored_values.size()) item->setText(option.stored_values.at(which));
}

void Kedit_device_cfg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    shown_ = true;
    fit_columns();
}

void Kedit_device_cfg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (shown_) fit_columns();
}

int Kedit_device_cfg::button_column_width(int column) const {
    // 50 pixels, or what the widest button needs in the user's font and style ("Action", "Tool"
    // with its menu arrow), so that no label is cut.
    int width = kButtonWidth;
    for (int row = 0; row < ui_->tableWidget->rowCount(); ++row)
        if (const QWidget* button = ui_->tableWidget->cellWidget(row, column))
            width = std::max(width, button->sizeHint().width());
    return width;
}

void Kedit_device_cfg::fit_columns() {
    QTableWidget& table = *ui_->tableWidget;
    const int tool = button_column_width(kTool);
    const int set = button_column_width(kSet);
    table.setColumnWidth(kTool, tool);
    table.setColumnWidth(kSet, set);
    const int w = table.viewport()->width() - tool - set;
    // Two thirds for the property, one third for the value.
    table.setColumnWidth(kProperty, w > 2 ? w * 100 / 150 : 2);
    table.setColumnWidth(kValue, w > 2 ? w * 50 / 150 : 1);
}
