#include "core/ui/selectcomport.h"

#include <QMessageBox>
#include <algorithm>

#include "core/core_config.h"
#include "core/sdi12_core.h"
#include "settings/workspace.h"
#include "ui_selectcomport.h"

namespace {

constexpr int kListedPorts = 98;
constexpr int kMaxFileNameLength = 255;  // what the core keeps

// Why the core cannot take `name` as its log file name; empty when it can.
QString file_name_problem(const QString& name) {
    if (name.size() > kMaxFileNameLength)
        return QStringLiteral("The file name is %1 characters long; it may have at most %2.")
            .arg(name.size())
            .arg(kMaxFileNameLength);
    if (name.isEmpty()) return QStringLiteral("The file name is empty.");
    if (!is_plain_file_name(name))
        return QStringLiteral(
                   "\"%1\" is not a plain file name: the log is kept in the LOG folder, so the name "
                   "may hold no folder separator, drive or \"..\".")
            .arg(name);
    return QString();
}

}  // namespace

selectComPort::selectComPort(sdi12_core& core, QWidget* parent)
    : QDialog(parent), core_(core), ui_(std::make_unique<Ui::selectComPort>()) {
    ui_->setupUi(this);
    for (int port = 1; port <= kListedPorts; ++port)
        ui_->comboBox->addItem(QStringLiteral("COM %1").arg(port));
    fill_intervals(0);
    connect(ui_->comportEdit, &QLineEdit::textChanged, this, &selectComPort::show_port_in_list);
}

void selectComPort::fill_intervals(int seconds) {
    QComboBox* list = ui_->logginginterval_comboBox;
    list->clear();
    for (const LoggingInterval& entry : logging_intervals()) list->addItem(entry.text, entry.seconds);
    // An interval config.xml holds but the list does not is kept: it is shown as an entry of its own.
    if (seconds > 0 && !is_listed_interval(seconds)) {
        int at = 0;
        while (at < list->count() && list->itemData(at).toInt() < seconds) ++at;
        list->insertItem(at, QStringLiteral("%1 seconds").arg(seconds), seconds);
    }
    list->setCurrentIndex(std::max(0, list->findData(seconds)));
}

void selectComPort::show_port_in_list(const QString& text) {
    bool ok = false;
    const int port = text.toInt(&ok);
    // A port past the list (typing 99 is allowed) selects no entry.
    ui_->comboBox->setCurrentIndex(ok && port >= 1 && port <= kListedPorts ? port - 1 : -1);
}

selectComPort::~selectComPort() = default;

void selectComPort::setup() {
    core_.set_logging(false);
    fill_from_core();
}

void selectComPort::fill_from_core() {
    const CoreSettings s = core_.settings();
    ui_->comportEdit->setText(QString::number(s.port));  // selects the port in the list too
    fill_intervals(s.interval);
    ui_->filename_lineEdit->setText(s.filename);
    ui_->modeComboBox->setCurrentIndex(s.comm_mode >= 0 && s.comm_mode < kCommModes ? s.comm_mode : 0);
}

void selectComPort::on_comboBox_activated(int index) {
    ui_->comportEdit->setText(QString::number(index + 1));
}

void selectComPort::on_file_toolButton_clicked() {
    core_.make_log_file_name();
    fill_from_core();
}

void selectComPort::on_buttonBox_accepted() {
    const QString name = ui_->filename_lineEdit->text();
    if (const QString problem = file_name_problem(name); !problem.isEmpty()) {
        say(problem);
        return;
    }
    CoreSettings s = core_.settings();
    s.port = ui_->comportEdit->text().toInt();  // 0 when not a number
    s.filename = name;
    s.interval = ui_->logginginterval_comboBox->currentData().toInt();  // 0 when none is selected
    s.comm_mode = std::max(0, ui_->modeComboBox->currentIndex());
    core_.set_settings(s);
    if (core_.write_core_config() != 0)
        say(QStringLiteral("The settings are in use but could not be saved: config.xml cannot be written."));
    core_.set_logging(false);
    accept();
}

void selectComPort::say(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
