#include "publish/ui/publish_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

#include "ui_publishdialog.h"

PublishDialog::PublishDialog(QString settings_path, QWidget* parent)
    : QDialog(parent), settings_path_(std::move(settings_path)), ui_(std::make_unique<Ui::PublishDialog>()) {
    ui_->setupUi(this);
}

PublishDialog::~PublishDialog() = default;

void PublishDialog::load() {
    PublishSettings s;
    read_publish_settings(settings_path_, s);
    ui_->enabledCheck->setChecked(s.enabled);
    ui_->hostEdit->setText(s.host);
    ui_->portSpin->setValue(s.port);
    ui_->topicEdit->setText(s.topic);
    ui_->stationEdit->setText(s.station);
    ui_->qosCombo->setCurrentIndex(s.qos);
    ui_->usernameEdit->setText(s.username);
    ui_->passwordFileEdit->setText(s.password_file);
    ui_->caFileEdit->setText(s.ca_file);
    ui_->outboxLimitSpin->setValue(s.outbox_limit_mb);
    saved_ = s;
}

PublishSettings PublishDialog::from_fields() const {
    PublishSettings s;
    s.enabled = ui_->enabledCheck->isChecked();
    s.host = ui_->hostEdit->text().trimmed();
    s.port = ui_->portSpin->value();
    s.topic = ui_->topicEdit->text().trimmed();
    s.station = ui_->stationEdit->text().trimmed();
    s.qos = ui_->qosCombo->currentIndex();
    s.username = ui_->usernameEdit->text();
    s.password_file = ui_->passwordFileEdit->text().trimmed();
    s.ca_file = ui_->caFileEdit->text().trimmed();
    s.outbox_limit_mb = ui_->outboxLimitSpin->value();
    return s;
}

void PublishDialog::on_buttonBox_accepted() {
    const PublishSettings s = from_fields();
    if (s.enabled && (s.host.isEmpty() || s.topic.isEmpty() || s.station.isEmpty())) {
        say(QStringLiteral("Publishing needs a host, a topic and a station name."));
        return;
    }
    if (!write_publish_settings(settings_path_, s)) {
        say(QStringLiteral("The settings could not be saved: %1 cannot be written.")
                .arg(QFileInfo(settings_path_).fileName()));
        return;
    }
    saved_ = s;
    accept();
}

void PublishDialog::on_passwordFileBrowse_clicked() {
    browse_into(ui_->passwordFileEdit, QStringLiteral("Password file"));
}

void PublishDialog::on_caFileBrowse_clicked() {
    browse_into(ui_->caFileEdit, QStringLiteral("CA file"));
}

void PublishDialog::browse_into(QLineEdit* field, const QString& caption) {
    const QString chosen = QFileDialog::getOpenFileName(this, caption, QFileInfo(field->text()).path());
    if (!chosen.isEmpty()) field->setText(chosen);
}

void PublishDialog::say(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
