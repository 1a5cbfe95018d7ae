#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class DeviceList;
class sdi12_core;

namespace Ui {
class AddressChangeDialog;
}

// The "Change Device Address" dialog: moves an identified sensor to a free address with the
// SDI-12 change-address command. The core answers with cmd_event(sdi12_core::kAddressChange),
// on which the main window scans the bus again.
// Thread: the user-interface thread.
class AddressChangeDialog : public QDialog {
    Q_OBJECT
  public:
    AddressChangeDialog(DeviceList& devices, sdi12_core& core, QWidget* parent = nullptr);
    ~AddressChangeDialog() override;

    // Run before every showing: lists the identified slots under "From" and the free ones under
    // "To", and enables "Set" again.
    void setup();

  private slots:
    void on_pushButton_clicked();

  private:
    DeviceList& devices_;
    sdi12_core& core_;
    std::unique_ptr<Ui::AddressChangeDialog> ui_;
};
