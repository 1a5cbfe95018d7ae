#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

#include "devices/device_association.h"
#include "devices/idev.h"

class ColumnList;
class DeviceList;

namespace Ui {
class dev_assoc;
}

// "Device Setup": ties one scanned slot to a device definition from "devassoc.xml" and gives it a
// start column. The association file is read anew at every opening. OK writes the choice into the
// slot and emits dev_changed once; the owner reloads the definition.
// Thread: the user-interface thread.
class dev_assoc : public QDialog {
    Q_OBJECT
  public:
    // `association_file` is the full path of devassoc.xml.
    dev_assoc(DeviceList& devices, ColumnList& columns, QString association_file, QWidget* parent = nullptr);
    ~dev_assoc() override;

    // Fills the dialog for slot `slot` (0..15).
    void setup(int slot);
    int slot() const { return slot_; }

  signals:
    // With the dialog's copy of the slot as it now stands in the device list.
    void dev_changed(idev* dev);
    // A problem with the association file, for the console.
    void printline(QString text);

  public slots:
    void on_buttonBox_accepted();

  private:
    DeviceList& devices_;
    ColumnList& columns_;
    const QString association_file_;
    std::unique_ptr<Ui::dev_assoc> ui_;
    int slot_ = -1;
    idev edited_;
    std::vector<assoc_entry> all_entries_;
    std::vector<assoc_entry> fitting_entries_;
};
