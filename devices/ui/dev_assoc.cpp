#include "devices/ui/dev_assoc.h"

#include <QFileInfo>
#include <QMessageBox>

#include "devices/device_list.h"
#include "devices/parse_dev_cfg.h"
#include "ui_dev_assoc.h"
#include "variables/column_list.h"

dev_assoc::dev_assoc(DeviceList& devices, ColumnList& columns, QString association_file, QWidget* parent)
    : QDialog(parent),
      devices_(devices),
      columns_(columns),
      association_file_(std::move(association_file)),
      devices_folder_(QFileInfo(association_file_).absolutePath() + QLatin1Char('/')),
      ui_(std::make_unique<Ui::dev_assoc>()) {
    ui_->setupUi(this);
}

dev_assoc::~dev_assoc() = default;

namespace {

std::vector<idev> all_slots(const DeviceList& devices) {
    const auto snapshot = devices.snapshot();
    return {snapshot.begin(), snapshot.end()};
}

}  // namespace

int dev_assoc::cells_of(const QString& definition) const {
    if (definition.isEmpty()) return 0;
    if (definition == edited_.definition && edited_.cells > 0) return edited_.cells;
    idev probe;
    probe.address = edited_.address;
    probe.definition = definition;
    parse_dev_cfg::load(probe, devices_folder_);  // its problems are said when it is loaded for real
    return probe.cells;
}

QString dev_assoc::chosen_definition() const {
    const int chosen = ui_->config_comboBox->currentIndex();
    // With nothing fitting there is no definition to take: the slot keeps the one it has.
    return chosen >= 0 && chosen < int(fitting_entries_.size()) ? fitting_entries_[chosen].file
                                                                : edited_.definition;
}

void dev_assoc::setup(int slot) {
    slot_ = slot;
    edited_ = devices_.slot(slot);
    all_entries_.clear();
    fitting_entries_.clear();

    // A missing file leaves the list empty; one that cannot be read (never blocking) is said.
    const QString said = device_association::read_file(association_file_, all_entries_);
    if (!said.isEmpty()) emit printline(said + QStringLiteral("\r\n"));

    ui_->idEdit->setPlainText(edited_.identification);
    ui_->config_comboBox->clear();
    fitting_entries_ = device_association::fitting(all_entries_, edited_.identification);
    for (const assoc_entry& entry : fitting_entries_) ui_->config_comboBox->addItem(entry.name);

    const int chosen = device_association::selected_position(fitting_entries_, edited_.definition);
    if (chosen >= 0) ui_->config_comboBox->setCurrentIndex(chosen);

    // A to C hold the record number, date and time: the list starts at D.
    ui_->startcol_comboBox->clear();
    const int count = columns_.size();
    for (int c = device_association::kFirstStartColumn; c < count; ++c)
        ui_->startcol_comboBox->addItem(column_letters(c));
    // The slot's own start when it is a free one, otherwise the first free place for the choice.
    const std::vector<idev> taken = all_slots(devices_);
    const int cells = cells_of(chosen_definition());
    int start = edited_.start_column;
    if (start < device_association::kFirstStartColumn ||
        device_association::overlapping_slot(taken, slot_, start, cells) >= 0) {
        const int free = device_association::next_free_column(taken, slot_, cells);
        if (free >= 0) start = free;
    }
    ui_->startcol_comboBox->setCurrentIndex(start - device_association::kFirstStartColumn);
    ui_->config_comboBox->setFocus();
}

void dev_assoc::accept() {
    // The form ties OK to accept() as well: on_buttonBox_accepted() closes the dialog, and only
    // once the choice fits.
}

void dev_assoc::on_buttonBox_accepted() {
    if (slot_ < 0) return;
    const int start = device_association::start_column_of(ui_->startcol_comboBox->currentText());
    const QString definition = chosen_definition();
    const int cells = cells_of(definition);
    if (const QString problem = range_problem(start, cells); !problem.isEmpty()) {
        say(problem);
        return;
    }
    devices_.update(slot_, [&](idev& dev) {
        dev.definition = definition;
        dev.start_column = std::uint16_t(start);
    });
    edited_ = devices_.slot(slot_);
    QDialog::accept();
    emit dev_changed(&edited_);
}

QString dev_assoc::range_problem(int start, int cells) const {
    const int last = start + std::max(cells, 1) - 1;
    const QString range = QStringLiteral("%1..%2").arg(column_letters(start), column_letters(last));
    const std::vector<idev> taken = all_slots(devices_);
    const int free = device_association::next_free_column(taken, slot_, cells);
    const QString proposal =
        free >= 0 ? QStringLiteral(" The next free start column is %1.").arg(column_letters(free))
                  : QStringLiteral(" No start column is free for %1 columns.").arg(cells);
    if (start < device_association::kFirstStartColumn)
        return QStringLiteral("Columns A to C hold the record number, date and time.") + proposal;
    if (last > device_association::kLastColumn)
        return QStringLiteral("Columns %1 run past the last column, %2.")
                   .arg(range, column_letters(device_association::kLastColumn)) +
               proposal;
    const int other = device_association::overlapping_slot(taken, slot_, start, cells);
    if (other < 0) return QString();
    const idev& o = taken[other];
    return QStringLiteral("Columns %1 overlap those of address %2 (%3..%4).")
               .arg(range, o.address, column_letters(o.start_column),
                    column_letters(o.start_column + o.cells - 1)) +
           proposal;
}

void dev_assoc::say(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
