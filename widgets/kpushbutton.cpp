#include "widgets/kpushbutton.h"

KPushButton::KPushButton(const QString& text, int row, QWidget* parent)
    : QPushButton(text, parent), row_(row) {
    connect(this, &QPushButton::clicked, this, &KPushButton::re_emit);
}

void KPushButton::re_emit() {
    emit bn_clicked(row_);
}
