#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class UnitsSelect;
}

// "Units Selection": unit groups, a custom unit field and a list to choose a unit text from.
// It is built with the main window and offers its widgets only; OK and Cancel close it.
// Thread: the user-interface thread.
class UnitsSelect : public QDialog {
    Q_OBJECT
  public:
    explicit UnitsSelect(QWidget* parent = nullptr);
    ~UnitsSelect() override;

  private:
    std::unique_ptr<Ui::UnitsSelect> ui_;
};
