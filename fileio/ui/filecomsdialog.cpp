#include "fileio/ui/filecomsdialog.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <algorithm>

#include "fileio/fileio_core.h"
#include "fileio/import_settings.h"
#include "ui_filecomsdialog.h"

namespace {
QString flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}
}  // namespace

FileComsDialog::FileComsDialog(fileio_core& importer, QWidget* parent)
    : QDialog(parent), importer_(importer), ui_(std::make_unique<Ui::FileComsDialog>()) {
    ui_->setupUi(this);
    // The two groups' fields start at the same place.
    QLabel* labels[] = {ui_->import_directory_label, ui_->filter_label, ui_->export_filename_label};
    int width = 0;
    for (QLabel* label : labels) width = std::max(width, label->sizeHint().width());
    for (QLabel* label : labels) label->setMinimumWidth(width);
}

FileComsDialog::~FileComsDialog() = default;

void FileComsDialog::setup() {
    // The worker reads the same settings; it stays stopped until the mode is applied again.
    importer_.set_import_running(false);
    const Kgenparse store = importer_.store().snapshot();
    // The folder the import uses when none is set, so that the field never shows less than that.
    ui_->ImportDirectorylineEdit->setText(QDir::toNativeSeparators(
        store.value(ImportSettings::kDirectory, importer_.store().default_directory())));
    ui_->exportdirectorylineEdit->setText(store.value(ImportSettings::kExportDirectory));
    ui_->Filter_lineEdit->setText(store.value(ImportSettings::kFilter));
    // Ticked whenever the import would run ("1", or any text but "0"), so OK never turns it off unseen.
    ui_->en_import_checkBox->setChecked(ImportSettings::from(store, QString()).enabled);
    ui_->en_export_checkBox->setChecked(store.value(ImportSettings::kExportEnabled, QStringLiteral("0")) ==
                                        QLatin1String("1"));
}

void FileComsDialog::on_import_toolButton_clicked() {
    if (!picker_) {
        picker_ = new QFileDialog(this, QStringLiteral("Select Directory"));
        picker_->setFileMode(QFileDialog::Directory);
        picker_->setOption(QFileDialog::ShowDirsOnly);
        connect(picker_, &QFileDialog::fileSelected, this, &FileComsDialog::import_directory_selected);
    }
    picker_->setDirectory(ui_->ImportDirectorylineEdit->text());
    picker_->open();
}

void FileComsDialog::import_directory_selected(const QString& directory) {
    ui_->ImportDirectorylineEdit->setText(QDir::toNativeSeparators(directory));
}

void FileComsDialog::accept() {
    const int saved = importer_.store().set_values({
        {ImportSettings::kDirectory, QDir::fromNativeSeparators(ui_->ImportDirectorylineEdit->text())},
        {ImportSettings::kExportDirectory, ui_->exportdirectorylineEdit->text()},
        {ImportSettings::kFilter, ui_->Filter_lineEdit->text()},
        {ImportSettings::kEnabled, flag(ui_->en_import_checkBox->isChecked())},
        {ImportSettings::kExportEnabled, flag(ui_->en_export_checkBox->isChecked())},
    });
    // The settings hold for this run either way; only the next start would lose them.
    QDialog::accept();
    if (saved != 0) {
        // Not blocking, and over the window that stays.
        auto* box =
            new QMessageBox(QMessageBox::Warning, windowTitle(),
                            QStringLiteral("Cannot write %1: the settings hold until the program ends.")
                                .arg(importer_.store().snapshot().path()),
                            QMessageBox::Ok, parentWidget() ? parentWidget() : this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}
