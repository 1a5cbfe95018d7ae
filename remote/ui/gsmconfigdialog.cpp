#include "remote/ui/gsmconfigdialog.h"

#include <QCheckBox>
#include <QMessageBox>
#include <array>

#include "remote/dialout_settings.h"
#include "remote/remotelogger_core.h"
#include "ui_gsmconfigdialog.h"

namespace {

std::array<QCheckBox*, 7> day_boxes(Ui::GSMConfigdialog& ui) {
    return {ui.checkBox_mon, ui.checkBox_tue, ui.checkBox_wed, ui.checkBox_thur,
            ui.checkBox_fri, ui.checkBox_sat, ui.checkBox_sun};
}

}  // namespace

GSMConfigdialog::GSMConfigdialog(remotelogger_core& remote, QWidget* parent)
    : QDialog(parent), remote_(remote), ui_(std::make_unique<Ui::GSMConfigdialog>()) {
    ui_->setupUi(this);
}

GSMConfigdialog::~GSMConfigdialog() = default;

void GSMConfigdialog::load() {
    const DialoutSettings s = remote_.settings();
    ui_->phonenumber_ed->setText(s.dial);
    const auto boxes = day_boxes(*ui_);
    for (int i = 0; i < 7; ++i) boxes[i]->setChecked(s.days[i]);
    ui_->timeEdit_0->setTime(s.time0);
    ui_->timeEdit_1->setTime(s.time1);
    // A type the file may hold but no button shows leaves all three clear.
    QRadioButton* const types[] = {ui_->radioButton_hour, ui_->radioButton_twiday, ui_->radioButton_onceday};
    for (QRadioButton* button : types) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
    if (s.type >= DialoutSettings::kHourly && s.type <= DialoutSettings::kOnceDaily)
        types[s.type - DialoutSettings::kHourly]->setChecked(true);
    ui_->ComPortEd->setText(QString::number(s.comport));
    ui_->ColNoEd->setText(QString::number(s.columns));
}

void GSMConfigdialog::on_buttonBox_accepted() {
    const int columns = ui_->ColNoEd->text().trimmed().toInt();  // 0 when not a number
    // The record writer refuses a record of more than 200 columns, yet the remote logger would
    // count it as downloaded: such a setting is never stored.
    if (const QString refusal = columns_refusal(columns); !refusal.isEmpty()) {
        say(refusal + QLatin1Char('.'));
        return;
    }
    // The last downloaded record is the worker's as it is now: a call may have moved it on
    // while the dialog was open.
    DialoutSettings s = remote_.settings();
    s.dial = ui_->phonenumber_ed->text();
    const auto boxes = day_boxes(*ui_);
    for (int i = 0; i < 7; ++i) s.days[i] = boxes[i]->isChecked();
    s.time0 = ui_->timeEdit_0->time();
    s.time1 = ui_->timeEdit_1->time();
    if (ui_->radioButton_hour->isChecked())
        s.type = DialoutSettings::kHourly;
    else if (ui_->radioButton_onceday->isChecked())
        s.type = DialoutSettings::kOnceDaily;
    else
        s.type = DialoutSettings::kTwiceDaily;
    s.comport = ui_->ComPortEd->text().trimmed().toInt();
    s.columns = columns;
    if (!remote_.apply_settings(s))
        say(QStringLiteral(
            "The settings are in use but could not be saved: gsmdialout.xml cannot be written."));
    remote_.reset(remotelogger_core::kRecomputeSchedule);
    accept();
}

void GSMConfigdialog::say(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
