#include "widgets/kaction.h"

KAction::KAction(const QString& text, int tag, int tag2, QObject* parent)
    : QAction(text, parent), tag_(tag), tag2_(tag2) {
    connect(this, &QAction::triggered, this, &KAction::onTriggered);
    connect(this, &QAction::triggered, this, &KAction::onTriggered2);
}

void KAction::onTriggered() {
    emit triggered(tag_);
}

void KAction::onTriggered2() {
    emit triggered(tag_, tag2_);
}
