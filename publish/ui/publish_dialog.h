#pragma once

#include <QDialog>
#include <memory>

#include "publish/publish_settings.h"

class QLineEdit;

namespace Ui {
class PublishDialog;
}

// The "Publishing" dialog: edits every setting of publish.xml. OK writes the file (and keeps
// what it wrote for the caller to hand to the publisher); Cancel changes nothing.
// Thread: the user-interface thread.
class PublishDialog : public QDialog {
    Q_OBJECT
  public:
    // `settings_path` is the publish.xml to read and write.
    explicit PublishDialog(QString settings_path, QWidget* parent = nullptr);
    ~PublishDialog() override;

    // Run before every showing: fills the fields from the file (the defaults where it has none).
    void load();
    // The settings OK wrote.
    const PublishSettings& saved_settings() const { return saved_; }

  private slots:
    void on_buttonBox_accepted();
    void on_passwordFileBrowse_clicked();
    void on_caFileBrowse_clicked();

  private:
    PublishSettings from_fields() const;
    void browse_into(QLineEdit* field, const QString& caption);
    // Tells the user something without blocking: a warning box over the dialog.
    void say(const QString& text);

    const QString settings_path_;
    PublishSettings saved_;
    std::unique_ptr<Ui::PublishDialog> ui_;
};
