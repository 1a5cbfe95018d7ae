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
// start column (D or later, proposed where it overlaps no other device). The association file is
// read anew at every opening. OK writes the choice into the
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
    // Refuses a range that overlaps another device's (said in a box; the dialog stays open),
    // otherwise applies the choice, closes and emits dev_changed.
    void on_buttonBox_accepted();
    void accept() override;

  private:
    // Cells of the definition `definition` (read from Devices/ unless it is the slot's own).
    int cells_of(const QString& definition) const;
    QString chosen_definition() const;
    // Why `cells` columns from `start` cannot be the slot's; empty when they can.
    QString range_problem(int start, int cells) const;
    void say(const QString& text);

    DeviceList& devices_;
    ColumnList& columns_;
    const QString association_file_;
    const QString devices_folder_;
    std::unique_ptr<Ui::dev_assoc> ui_;
    int slot_ = -1;
    idev edited_;
    std::vector<assoc_entry> all_entries_;
    std::vector<assoc_entry> fitting_entries_;
};
