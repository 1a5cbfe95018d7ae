#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class sdi12_core;

namespace Ui {
class ManualCommand;
}

// The "Manual Commands" dialog: sends a command typed by the user to the bus, as typed, and shows
// the last twelve lines of all the traffic the core prints.
// Thread: the user-interface thread; traffic arrives through a queued signal of the core.
class ManualCommand : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kShownPieces = 12;

    explicit ManualCommand(sdi12_core& core, QWidget* parent = nullptr);
    ~ManualCommand() override;

  public slots:
    // Console text of the core (connect its printline, queued).
    void new_text(QString text);

  private slots:
    void on_pushButton_clicked();
    void on_lineEdit_textChanged(const QString& text);

  private:
    sdi12_core& core_;
    std::unique_ptr<Ui::ManualCommand> ui_;
};
