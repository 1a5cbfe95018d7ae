#include "widgets/kedit.h"

KEdit::KEdit(int tag, QWidget* parent) : QLineEdit(parent), tag_(tag) {
    connect(this, &QLineEdit::textEdited, this, &KEdit::re_emit);
}

void KEdit::re_emit(const QString& text) {
    emit ext_ValueChanged(tag_, text);
}
