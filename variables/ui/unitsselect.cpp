#include "variables/ui/unitsselect.h"

#include "ui_unitsselect.h"

UnitsSelect::UnitsSelect(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::UnitsSelect>()) {
    ui_->setupUi(this);
}

UnitsSelect::~UnitsSelect() = default;
