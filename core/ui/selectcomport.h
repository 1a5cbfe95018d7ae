#pragma once

#include <QDialog>
#include <memory>

class sdi12_core;

namespace Ui {
class selectComPort;
}

// The logging configuration dialog: edits the core's port, logging interval, log file name and
// communication mode, and on OK stores them in the core and in config.xml. The port field and the
// port list follow each other; an interval that is not listed is shown and kept.
// Thread: the user-interface thread; it talks to the core only through its public operations.
class selectComPort : public QDialog {
    Q_OBJECT
  public:
    explicit selectComPort(sdi12_core& core, QWidget* parent = nullptr);
    ~selectComPort() override;

    // Run before every showing: stops logging and fills the fields from the core.
    void setup();

  private slots:
    void on_comboBox_activated(int index);
    void on_file_toolButton_clicked();
    void on_buttonBox_accepted();
    // Keeps the port list on the number in the field (no entry past the list).
    void show_port_in_list(const QString& text);

  private:
    void fill_from_core();
    // The interval list, with an entry of its own for `seconds` when it is not listed; selects it.
    void fill_intervals(int seconds);
    // Tells the user something without blocking: a warning box over the dialog.
    void say(const QString& text);

    sdi12_core& core_;
    std::unique_ptr<Ui::selectComPort> ui_;
};
