// The Import/Export dialog over a real import and its fileio.xml, driven as a user drives it.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "core_rig.h"
#include "fileio/fileio_core.h"
#include "fileio/kgenparse.h"
#include "fileio/ui/filecomsdialog.h"

namespace {

struct DialogRig {
    DialogRig() {
        Kgenparse before(path());
        before.set(QStringLiteral("proc_time"), QStringLiteral("1796637600"));
        before.set(QStringLiteral("exp_dir"), QStringLiteral("out.csv"));
        before.set(QStringLiteral("exp_en"), QStringLiteral("1"));
        before.save();
        importer =
            std::make_unique<fileio_core>(acq.clock, acq.log(), path(), acq.root + QStringLiteral("Import/"));
        dialog = std::make_unique<FileComsDialog>(*importer);
        importer->set_import_running(true);
        dialog->setup();
        dialog->show();
    }
    QString path() const { return acq.root + QStringLiteral("Config/fileio.xml"); }
    Kgenparse saved() const {
        Kgenparse store(path());
        store.load();
        return store;
    }
    template <class T>
    T* find(const char* name) const {
        return dialog->findChild<T*>(QString::fromLatin1(name));
    }
    void type_into(const char* name, const QString& text) {
        QLineEdit* field = find<QLineEdit>(name);
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    // On the box itself: the row is wider than the box and its text.
    void tick(const char* name) {
        QCheckBox* box = find<QCheckBox>(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    void click(QDialogButtonBox::StandardButton which) {
        QTest::mouseClick(find<QDialogButtonBox>("buttonBox")->button(which), Qt::LeftButton);
    }

    CoreRig acq;
    std::unique_ptr<fileio_core> importer;
    std::unique_ptr<FileComsDialog> dialog;
};

}  // namespace

class FileComsDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void showingStopsTheImportAndFillsTheFieldsFromItsSettings();
    void okWritesTheFieldsAndKeepsTheProgress();
    void cancelWritesNothingAndTheImportStaysStopped();
    void theChosenDirectoryGoesIntoTheDirectoryField();
};

void FileComsDialogTest::showingStopsTheImportAndFillsTheFieldsFromItsSettings() {
    DialogRig rig;
    QVERIFY(!rig.importer->import_running());
    QCOMPARE(rig.dialog->windowTitle(), QStringLiteral("Import/Export"));
    QCOMPARE(rig.find<QLineEdit>("ImportDirectorylineEdit")->text(),
             QDir::toNativeSeparators(rig.acq.root + QStringLiteral("Import/")));
    QCOMPARE(rig.find<QLineEdit>("exportdirectorylineEdit")->text(), QStringLiteral("out.csv"));
    QVERIFY(rig.find<QLineEdit>("Filter_lineEdit")->text().isEmpty());
    QVERIFY(!rig.find<QCheckBox>("en_import_checkBox")->isChecked());
    QVERIFY(rig.find<QCheckBox>("en_export_checkBox")->isChecked());

    // Any text but "0" runs the import, so the box shows it ticked.
    rig.importer->store().set_values({{QStringLiteral("imp_en"), QStringLiteral("yes")}});
    rig.dialog->setup();
    QVERIFY(rig.find<QCheckBox>("en_import_checkBox")->isChecked());
}

void FileComsDialogTest::okWritesTheFieldsAndKeepsTheProgress() {
    DialogRig rig;
    rig.type_into("ImportDirectorylineEdit", QStringLiteral("/srv/incoming"));
    rig.type_into("Filter_lineEdit", QStringLiteral("Station"));
    rig.tick("en_import_checkBox");
    rig.tick("en_export_checkBox");
    rig.click(QDialogButtonBox::Ok);

    QCOMPARE(rig.dialog->result(), int(QDialog::Accepted));
    QVERIFY(!rig.dialog->isVisible());
    const Kgenparse saved = rig.saved();
    QCOMPARE(saved.value(QStringLiteral("imp_dir")), QStringLiteral("/srv/incoming"));
    QCOMPARE(saved.value(QStringLiteral("imp_filter")), QStringLiteral("Station"));
    QCOMPARE(saved.value(QStringLiteral("imp_en")), QStringLiteral("1"));
    QCOMPARE(saved.value(QStringLiteral("exp_en")), QStringLiteral("0"));
    QCOMPARE(saved.value(QStringLiteral("exp_dir")), QStringLiteral("out.csv"));
    QCOMPARE(saved.value(QStringLiteral("proc_time")), QStringLiteral("1796637600"));
    QVERIFY(!rig.importer->import_running());  // the mode is applied again by the caller
}

void FileComsDialogTest::cancelWritesNothingAndTheImportStaysStopped() {
    DialogRig rig;
    const Kgenparse before = rig.saved();
    rig.type_into("Filter_lineEdit", QStringLiteral("other"));
    rig.tick("en_import_checkBox");
    rig.click(QDialogButtonBox::Cancel);
    QCOMPARE(rig.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(rig.saved().document(), before.document());
    QVERIFY(!rig.importer->import_running());
}

void FileComsDialogTest::theChosenDirectoryGoesIntoTheDirectoryField() {
#if defined(__SANITIZE_THREAD__)
    // The picker's file system model lists folders on a thread of Qt's own, handing results over
    // through Qt's locks, which Debian's Qt hides from the sanitizer.
    QSKIP("Qt's folder listing thread is not visible to ThreadSanitizer");
#endif
    DialogRig rig;
    QTest::mouseClick(rig.find<QToolButton>("import_toolButton"), Qt::LeftButton);
    auto* picker = rig.dialog->findChild<QFileDialog*>();
    QVERIFY(picker && picker->isVisible());
    QCOMPARE(picker->windowTitle(), QStringLiteral("Select Directory"));
    QCOMPARE(picker->fileMode(), QFileDialog::Directory);
    emit picker->fileSelected(QStringLiteral("/data/attachments"));
    QCOMPARE(rig.find<QLineEdit>("ImportDirectorylineEdit")->text(),
             QDir::toNativeSeparators(QStringLiteral("/data/attachments")));
    picker->reject();
}

QTEST_MAIN(FileComsDialogTest)
#include "tst_filecoms_dialog.moc"
