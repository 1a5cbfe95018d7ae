#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

#include "devices/idev.h"

class DeviceList;
class QAction;
class sdi12_core;

namespace Ui {
class Kedit_device_cfg;
}

// The sensor option editor ("Edit Sensor Configuration"): shows the settable options of one
// device slot as a property table, reads their values from the sensor when it opens, and writes
// a changed value back, each through the acquisition core. It works on its own copy of the slot.
// Thread: the user-interface thread; the core answers through queued signals.
class Kedit_device_cfg : public QDialog {
    Q_OBJECT
  public:
    enum Column : int { kProperty = 0, kValue = 1, kTool = 2, kSet = 3 };
    // Tool menu entries after the displayed values.
    enum MenuEntry : int { kDefault = 101, kUndo = 102, kCancel = 103 };
    static constexpr int kRowHeight = 20;

    // Connects the core's multicmd_finnished() and cmd_finnished() to this editor, once.
    Kedit_device_cfg(DeviceList& devices, sdi12_core& core, QWidget* parent = nullptr);
    ~Kedit_device_cfg() override;

    // Opening for a slot: shows its options with empty values and asks the core to read them.
    void setup(int slot);

    // Handlers; plain members (connected by member pointer) rather than slots, so the form's
    // connect-by-name pass does not look for widgets they are not named after.
    void on_devopt_changed();                   // an option was read: fill all rows
    void on_cell_changed(int row, int column);  // colour a value cell: white as read, red changed
    void on_devopt_set(int row);                // "Set" or "Action": write the row's value
    void on_cmd_end();                          // the write got its answer
    void on_tool_popup_menu(QAction* action);   // a tool menu entry

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void take_readings();
    void fill_rows();
    void set_label(int row, int column, const QString& text);
    void set_value(int row, const QString& text);
    void add_set_button(int row, int column, const QString& text);
    void add_tool_button(int row, const dev_opt& option);
    QString value_text(int row) const;
    int button_column_width(int column) const;
    void fit_columns();

    DeviceList& devices_;
    sdi12_core& core_;
    std::unique_ptr<Ui::Kedit_device_cfg> ui_;
    idev slot_;
    int batch_ = 0;            // the option batch this editor asked for last
    std::vector<bool> taken_;  // per option: its reading was taken from the batch
    bool shown_ = false;
    QString pending_command_;
    int pending_row_ = -1;
};
