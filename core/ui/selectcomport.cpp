#include "core/ui/selectcomport.h"

#include <QMessageBox>
#include <iterator>

#include "core/sdi12_core.h"
#include "core/workspace.h"
#include "ui_selectcomport.h"

namespace {

struct IntervalEntry {
    const char* text;
    int seconds;
};

constexpr IntervalEntry kIntervals[] = {
    {"5 seconds", 5},   {"10 Seconds", 10},  {"30 Seconds", 30},   {"60 Seconds", 60}, {"2 minutes", 120},
    {"5 minutes", 300}, {"15 minutes", 900}, {"30 minutes", 1800}, {"1 hour", 3600},
};

constexpr int kListedPorts = 98;
constexpr int kMaxFileNameLength = 255;  // what the core keeps

int interval_index(int seconds) {
    for (int i = 0; i < int(std::size(kIntervals)); ++i)
        if (kIntervals[i].seconds == seconds) return i;
    return 0;
}

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
    for (const IntervalEntry& entry : kIntervals)
        ui_->logginginterval_comboBox->addItem(QString::fromLatin1(entry.text));
}

selectComPort::~selectComPort() = default;

void selectComPort::setup() {
    core_.set_logging(false);
    fill_from_core();
}

void selectComPort::fill_from_core() {
    const CoreSettings s = core_.settings();
    ui_->comportEdit->setText(QString::number(s.port));
    ui_->comboBox->setCurrentIndex(s.port - 1);
    ui_->logginginterval_comboBox->setCurrentIndex(interval_index(s.interval));
    ui_->filename_lineEdit->setText(s.filename);
    ui_->modeComboBox->setCurrentIndex(s.comm_mode);
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
    const int interval = ui_->logginginterval_comboBox->currentIndex();
    s.interval = interval < 0 ? 0 : kIntervals[interval].seconds;
    s.comm_mode = ui_->modeComboBox->currentIndex();
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
