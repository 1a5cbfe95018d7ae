#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <QtTest>

// The warning a dialog shows over itself, closed by its OK button as a user would; its text, or
// "<no warning>" when none is shown.
inline QString take_dialog_warning(QWidget& dialog) {
    QMessageBox* box = dialog.findChild<QMessageBox*>();
    if (!box || !box->isVisible()) return QStringLiteral("<no warning>");
    const QString text = box->text();
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    return text;
}
