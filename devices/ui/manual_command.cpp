#include "devices/ui/manual_command.h"

#include <QStringList>
#include <QTextCursor>

#include "core/sdi12_core.h"
#include "ui_manualcommand.h"

ManualCommand::ManualCommand(sdi12_core& core, QWidget* parent)
    : QDialog(parent), core_(core), ui_(std::make_unique<Ui::ManualCommand>()) {
    ui_->setupUi(this);
    ui_->pushButton->setEnabled(false);
}

ManualCommand::~ManualCommand() = default;

void ManualCommand::on_lineEdit_textChanged(const QString& text) {
    // An empty command would only end logging and wait a second for nothing.
    ui_->pushButton->setEnabled(!text.isEmpty());
}

void ManualCommand::on_pushButton_clicked() {
    const QString command = ui_->lineEdit->text();
    if (command.isEmpty()) return;
    // As typed: the core adds whatever framing the bus needs.
    core_.do_cmd(command, 0);
}

void ManualCommand::new_text(QString text) {
    // The box would show a CR as a line break of its own: the LF alone ends a line.
    text.remove(QLatin1Char('\r'));
    QStringList pieces = (ui_->resultText->toPlainText() + text).split(QLatin1Char('\n'));
    if (pieces.size() > kShownPieces) pieces.erase(pieces.begin(), pieces.end() - kShownPieces);
    ui_->resultText->setPlainText(pieces.join(QStringLiteral("\r\n")));
    ui_->resultText->moveCursor(QTextCursor::End);  // the newest line in view
}
