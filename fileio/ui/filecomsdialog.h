#pragma once

#include <QDialog>
#include <memory>

class QFileDialog;
class fileio_core;

namespace Ui {
class FileComsDialog;
}

// The Import/Export dialog: edits the import's directory, filter and switch and the stored export
// settings, and on OK writes them into fileio.xml. The import is stopped while it is shown; the
// caller starts it again (init_commode) after OK.
// Thread: the user-interface thread; it reaches the import only through its public operations.
class FileComsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit FileComsDialog(fileio_core& importer, QWidget* parent = nullptr);
    ~FileComsDialog() override;

    // Run before every showing: stops the import and fills the fields from its settings.
    void setup();

  public slots:
    // Stores the fields and writes fileio.xml, then closes the dialog as accepted.
    void accept() override;
    void import_directory_selected(const QString& directory);

  private slots:
    void on_import_toolButton_clicked();

  private:
    fileio_core& importer_;
    std::unique_ptr<Ui::FileComsDialog> ui_;
    // Made when first asked for: its file system model watches folders on a thread of its own.
    QFileDialog* picker_ = nullptr;
};
