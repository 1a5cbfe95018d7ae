// The variable selection and units dialogs, and the tagged widgets that tables and menus use to
// tell one slot which row was used, driven offscreen as a user would.

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <functional>
#include <memory>

#include "variables/column_list.h"
#include "variables/ui/kselect_col_dlg.h"
#include "variables/ui/unitsselect.h"
#include "widgets/kaction.h"
#include "widgets/kedit.h"
#include "widgets/kpushbutton.h"

namespace {

const QString kNoItem = QStringLiteral("<no item>");

QTableWidget* table_of(Kselect_col_dlg& dialog) {
    return dialog.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
}

KPushButton* select_button(Kselect_col_dlg& dialog, int row) {
    return qobject_cast<KPushButton*>(table_of(dialog)->cellWidget(row, Kselect_col_dlg::kSelect));
}

QStringList row_texts(QTableWidget* table, int row) {
    QStringList texts;
    for (int c = 0; c < Kselect_col_dlg::kSelect; ++c) {
        const QTableWidgetItem* item = table->item(row, c);
        texts << (item ? item->text() : kNoItem);
    }
    return texts;
}

QList<int> marked_rows(Kselect_col_dlg& dialog) {
    QList<int> rows;
    QTableWidget* table = table_of(dialog);
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* item = table->item(row, Kselect_col_dlg::kLetters);
        if (item && item->data(Qt::CheckStateRole) == Qt::Checked) rows << row;
    }
    return rows;
}

QList<int> column_widths_of(QTableWidget* table) {
    QList<int> widths;
    for (int c = 0; c < table->columnCount(); ++c) widths << table->columnWidth(c);
    return widths;
}

QStringList button_texts(QWidget& dialog) {
    QStringList texts;
    const auto buttons = dialog.findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (const QPushButton* b : buttons) texts << b->text();
    return texts;
}

using DialogMaker = std::function<std::unique_ptr<QDialog>(ColumnList&)>;

}  // namespace

Q_DECLARE_METATYPE(DialogMaker)

class SelectDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void tableListsEveryColumnWithASelectButton() {
        ColumnList columns;
        columns.set_label(4, QStringLiteral("Temp"));
        columns.set_name(4, QStringLiteral("Air"));
        columns.set_units(4, QStringLiteral("degC"));
        Kselect_col_dlg dialog(columns);
        dialog.show();
        QTableWidget* table = table_of(dialog);

        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Variable"));
        QCOMPARE(table->rowCount(), 257);
        QStringList headers;
        for (int c = 0; c < table->columnCount(); ++c) headers << table->horizontalHeaderItem(c)->text();
        QCOMPARE(headers, (QStringList{"Col", "Variable", "Name", "Units", "Select"}));
        QCOMPARE(row_texts(table, 4), (QStringList{"E", "Temp", "Air", "degC"}));
        QVERIFY(!(table->item(4, Kselect_col_dlg::kName)->flags() & Qt::ItemIsEditable));
        QCOMPARE(select_button(dialog, 254)->text(), QStringLiteral("Select"));
        QCOMPARE(table->rowHeight(4), 20);
        for (int row : {255, 256}) {
            QCOMPARE(row_texts(table, row), (QStringList{kNoItem, kNoItem, kNoItem, kNoItem}));
            QVERIFY(!table->cellWidget(row, Kselect_col_dlg::kSelect));
        }
    }

    void selectButtonEmitsTheRowOrTheTaggedRow_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("expected");
        QTest::newRow("untagged") << 0 << 0 << 5 << 5;
        QTest::newRow("untagged ignores the tag") << 0 << 3 << 5 << 5;
        QTest::newRow("tag 3") << 1 << 3 << 5 << 1283;
        QTest::newRow("only the tag's low byte") << 1 << 0x103 << 5 << 1283;
        QTest::newRow("last column, tag 255") << 1 << 255 << 254 << 254 * 256 + 255;
    }
    void selectButtonEmitsTheRowOrTheTaggedRow() {
        QFETCH(int, mode);
        QFETCH(int, tag);
        QFETCH(int, row);
        QFETCH(int, expected);
        ColumnList columns;
        Kselect_col_dlg dialog(columns);
        dialog.set_tag_mode(mode);
        dialog.set_tag_value(tag);
        dialog.show();
        QSignalSpy spy(&dialog, &Kselect_col_dlg::columnSelected);

        table_of(dialog)->scrollToItem(table_of(dialog)->item(row, 0));
        QTest::mouseClick(select_button(dialog, row), Qt::LeftButton);

        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), expected);
        QVERIFY(dialog.isHidden());
    }

    void markingRowsReplacesEarlierMarks() {
        ColumnList columns;
        Kselect_col_dlg dialog(columns);
        dialog.mark_rows({1});
        dialog.mark_rows({3, 7, 300});
        QCOMPARE(marked_rows(dialog), (QList<int>{3, 7}));
        dialog.show();
        QCOMPARE(marked_rows(dialog), (QList<int>{3, 7}));
    }

    void aRenamedColumnShowsAtTheNextShowing() {
        ColumnList columns;
        Kselect_col_dlg dialog(columns);
        dialog.show();
        dialog.hide();
        columns.set_name(4, QStringLiteral("Wind"));
        columns.set_name(1, QString());
        dialog.show();
        QCOMPARE(table_of(dialog)->item(4, Kselect_col_dlg::kName)->text(), QStringLiteral("Wind"));
        QCOMPARE(table_of(dialog)->item(1, Kselect_col_dlg::kName)->text(), QString());
    }

    void columnWidthsFollowTheViewport() {
        ColumnList columns;
        Kselect_col_dlg dialog(columns);
        QTableWidget* table = table_of(dialog);
        for (int width : {700, 1000}) {
            dialog.resize(width, 400);
            dialog.show();
            const int w = table->viewport()->width();
            QCOMPARE(column_widths_of(table),
                     (QList<int>{w * 50 / 600, w * 200 / 600, w * 200 / 600, w * 100 / 600, w * 50 / 600}));
        }
    }

    void okAndCancelCloseTheDialog_data() {
        QTest::addColumn<DialogMaker>("make");
        QTest::addColumn<int>("button");
        const DialogMaker select = [](ColumnList& c) { return std::make_unique<Kselect_col_dlg>(c); };
        const DialogMaker units = [](ColumnList&) { return std::make_unique<UnitsSelect>(); };
        QTest::newRow("select variable, OK") << select << int(QDialogButtonBox::Ok);
        QTest::newRow("select variable, Cancel") << select << int(QDialogButtonBox::Cancel);
        QTest::newRow("units, OK") << units << int(QDialogButtonBox::Ok);
        QTest::newRow("units, Cancel") << units << int(QDialogButtonBox::Cancel);
    }
    void okAndCancelCloseTheDialog() {
        QFETCH(DialogMaker, make);
        QFETCH(int, button);
        ColumnList columns;
        const auto dialog = make(columns);
        dialog->show();
        auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QTest::mouseClick(box->button(QDialogButtonBox::StandardButton(button)), Qt::LeftButton);
        QVERIFY(dialog->isHidden());
    }

    void unitsDialogOffersItsWidgets() {
        UnitsSelect dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Units Selection"));
        QCOMPARE(button_texts(dialog), (QStringList{"Pressure", "Frequency", "Speed", "Force", "Mass",
                                                    "Displacement", "Misc", "All"}));
        QCOMPARE(dialog.findChild<QLabel*>()->text(), QStringLiteral("Select units or enter custom units"));
        QVERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("lineEdit")));
        QVERIFY(dialog.findChild<QComboBox*>(QStringLiteral("comboBox_2")));
        QStringList items;
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("listWidget"));
        for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
        QCOMPARE(items, (QStringList{"aaaaa", "bbbb", "ccc"}));
    }

    void taggedWidgetsReEmitWithTheirTags() {
        KPushButton button(QStringLiteral("Set"), 9);
        QSignalSpy clicked(&button, &KPushButton::bn_clicked);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicked.takeFirst(), (QVariantList{9}));

        KAction action(QStringLiteral("Default"), 4, 101);
        QSignalSpy one_tag(&action, qOverload<int>(&KAction::triggered));
        QSignalSpy two_tags(&action, qOverload<int, int>(&KAction::triggered));
        action.trigger();
        QCOMPARE(one_tag.takeFirst(), (QVariantList{4}));
        QCOMPARE(two_tags.takeFirst(), (QVariantList{4, 101}));

        KEdit edit(0x302);
        QSignalSpy edited(&edit, &KEdit::ext_ValueChanged);
        QTest::keyClicks(&edit, QStringLiteral("kPa"));
        QCOMPARE(edited.count(), 3);
        QCOMPARE(edited.last(), (QVariantList{0x302, QStringLiteral("kPa")}));
        edit.setText(QStringLiteral("bar"));  // the owner's own writes are not edits
        QCOMPARE(edited.count(), 3);
    }
};

QTEST_MAIN(SelectDialogsTest)
#include "tst_select_dialogs.moc"
