#include "devices/ui/dev_assoc.h"

#include "devices/device_list.h"
#include "ui_dev_assoc.h"
#include "variables/column_list.h"

dev_assoc::dev_assoc(DeviceList& devices, ColumnList& columns, QString association_file, QWidget* parent)
    : QDialog(parent),
      devices_(devices),
      columns_(columns),
      association_file_(std::move(association_file)),
      ui_(std::make_unique<Ui::dev_assoc>()) {
    ui_->setupUi(this);
}

dev_assoc::~dev_assoc() = default;

void dev_assoc::setup(int slot) {
    slot_ = slot;
    edited_ = devices_.slot(slot);
    all_entries_.clear();
    fitting_entries_.clear();

    // A missing file leaves the list empty; one that cannot be read (never blocking) is said.
    const QString said = device_association::read_file(association_file_, all_entries_);
    if (!said.isEmpty()) emit printline(said + QStringLiteral("\r\n"));

    ui_->idEdit->setPlainText(edited_.identification);
    ui_->config_comboBox->clear();
    fitting_entries_ = device_association::fitting(all_entries_, edited_.identification);
    for (const assoc_entry& entry : fitting_entries_) ui_->config_comboBox->addItem(entry.name);

    ui_->startcol_comboBox->clear();
    const int count = columns_.size();
    for (int c = 0; c < count; ++c) ui_->startcol_comboBox->addItem(column_letters(c));
    ui_->startcol_comboBox->setCurrentIndex(edited_.start_column < count ? int(edited_.start_column) : -1);

    const int chosen = device_association::selected_position(fitting_entries_, edited_.definition);
    if (chosen >= 0) ui_->config_comboBox->setCurrentIndex(chosen);
    ui_->config_comboBox->setFocus();
}

void dev_assoc::on_buttonBox_accepted() {
    if (slot_ < 0) return;
    const int start = device_association::start_column_of(ui_->startcol_comboBox->currentText());
    const int chosen = ui_->config_comboBox->currentIndex();
    // With nothing fitting there is no definition to take: the slot keeps the one it has.
    const bool has_choice = chosen >= 0 && chosen < int(fitting_entries_.size());
    const QString definition = has_choice ? fitting_entries_[chosen].file : QString();
    devices_.update(slot_, [&](idev& dev) {
        if (has_choice) dev.definition = definition;
        dev.start_column = std::uint16_t(start);
    });
    edited_ = devices_.slot(slot_);
    emit dev_changed(&edited_);
}
