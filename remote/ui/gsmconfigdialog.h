#pragma once

#include <QDialog>
#include <memory>

class remotelogger_core;

namespace Ui {
class GSMConfigdialog;
}

// The dial-out dialog: edits the remote logger's phone number, call schedule, modem port and
// number of columns; OK stores them in the remote logger and in gsmdialout.xml and plans the next
// call anew.
// Thread: the user-interface thread; it talks to the remote logger only through its public
// operations, which are safe while its worker runs.
class GSMConfigdialog : public QDialog {
    Q_OBJECT
  public:
    explicit GSMConfigdialog(remotelogger_core& remote, QWidget* parent = nullptr);
    ~GSMConfigdialog() override;

    // Run before every showing: fills the fields from the remote logger's settings.
    void load();

  private slots:
    void on_buttonBox_accepted();

  private:
    // Tells the user something without blocking: a warning box over the dialog.
    void say(const QString& text);

    remotelogger_core& remote_;
    std::unique_ptr<Ui::GSMConfigdialog> ui_;
};
