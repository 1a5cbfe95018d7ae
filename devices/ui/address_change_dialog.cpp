#include "devices/ui/address_change_dialog.h"

#include "core/sdi12_core.h"
#include "devices/device_list.h"
#include "ui_addresschangedialog.h"

AddressChangeDialog::AddressChangeDialog(DeviceList& devices, sdi12_core& core, QWidget* parent)
    : QDialog(parent), devices_(devices), core_(core), ui_(std::make_unique<Ui::AddressChangeDialog>()) {
    ui_->setupUi(this);
}

AddressChangeDialog::~AddressChangeDialog() = default;

void AddressChangeDialog::setup() {
    ui_->fromcomboBox->clear();
    ui_->tocomboBox->clear();
    const auto all = devices_.snapshot();
    for (int i = 0; i < DeviceList::kSlots; ++i) {
        // A one-character identification is only the address that answered: the slot is free.
        if (all[i].identification.size() > 1)
            ui_->fromcomboBox->addItem(all[i].identification.trimmed(), i);
        else
            ui_->tocomboBox->addItem(all[i].address, i);  // the address, as the device table shows it
    }
    ui_->pushButton->setEnabled(true);
}

void AddressChangeDialog::on_pushButton_clicked() {
    if (ui_->fromcomboBox->currentIndex() < 0 || ui_->tocomboBox->currentIndex() < 0) return;
    const idev from = devices_.slot(ui_->fromcomboBox->currentData().toInt());
    const idev to = devices_.slot(ui_->tocomboBox->currentData().toInt());
    // Once sent, the addresses listed here are out of date until the next scan and setup.
    ui_->pushButton->setEnabled(false);
    core_.do_cmd(from.address + QLatin1Char('A') + to.address + QLatin1Char('!'), sdi12_core::kAddressChange);
    close();
}
