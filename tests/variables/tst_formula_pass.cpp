#include <QtTest>
#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

#include "variables/column_list.h"
#include "variables/formula_pass.h"

namespace {

// Stands in for the acquisition core: stores into the column list as set_column_value does and
// records every call, with the thread that made it.
class RecordingSink : public ColumnSink {
  public:
    struct Call {
        char what;  // 'v' value, 'm' mark
        int kind;
        int index;
        float value;
        std::thread::id thread;
    };

    explicit RecordingSink(ColumnList& columns) : columns_(columns) {}
    void set_column_value(int index, float value) override {
        columns_.set_value(index, value);
        add({'v', 0, index, value, std::this_thread::get_id()});
    }
    void mark_column(int kind, int index) override {
        add({'m', kind, index, 0.0f, std::this_thread::get_id()});
    }
    std::vector<Call> calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }

  private:
    void add(const Call& c) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(c);
    }
    ColumnList& columns_;
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
};

}  // namespace

class FormulaPassTest : public QObject {
    Q_OBJECT
  private slots:
    void activeFormulaStoresItsResultAndMarksTheColumn_data();
    void activeFormulaStoresItsResultAndMarksTheColumn();
    void everyActiveRowIsStoredThenMarkedInAscendingOrder();
    void lowerRowsSeeThisPassAndHigherRowsThePreviousOne();
    void twoPassingThreadsAndAnEditorStayCorrect();
};

void FormulaPassTest::activeFormulaStoresItsResultAndMarksTheColumn_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("formula");
    QTest::addColumn<bool>("evaluated");
    QTest::addColumn<double>("expected");
    QTest::newRow("times a number") << 3 << "=A*5.5" << true << 66.0;
    QTest::newRow("lower case") << 3 << "=a*5.5" << true << 66.0;
    QTest::newRow("without equals sign") << 3 << "A*2" << false << 1.5;
    QTest::newRow("blank before equals sign") << 3 << " =A" << false << 1.5;
    QTest::newRow("empty") << 3 << "" << false << 1.5;
    QTest::newRow("row 250") << 250 << "=A+1" << true << 13.0;
    QTest::newRow("last row") << 254 << "=IU+A" << true << 13.5;
    QTest::newRow("NaN result") << 5 << "=7%2" << true << double(NAN);
    QTest::newRow("8-bit text") << 5 << QString::fromUtf8("=A\u00e9") << true << double(NAN);
}

void FormulaPassTest::activeFormulaStoresItsResultAndMarksTheColumn() {
    QFETCH(int, row);
    QFETCH(QString, formula);
    QFETCH(bool, evaluated);
    QFETCH(double, expected);
    ColumnList columns;
    columns.set_value(0, 12);
    columns.set_value(row, 1.5);
    columns.set_formula(row, formula);
    RecordingSink sink(columns);
    run_formulas(columns, sink);

    const std::vector<RecordingSink::Call> calls = sink.calls();
    if (!evaluated) {
        QVERIFY(calls.empty());
        QCOMPARE(columns.value(row), 1.5);
        return;
    }
    QCOMPARE(int(calls.size()), 2);
    QCOMPARE(calls[0].what, 'v');
    QCOMPARE(calls[0].index, row);
    QCOMPARE(calls[1].what, 'm');
    QCOMPARE(calls[1].kind, 0);
    QCOMPARE(calls[1].index, row);
    if (std::isnan(expected)) {
        QVERIFY(std::isnan(columns.value(row)));
    } else {
        QCOMPARE(columns.value(row), expected);
        QCOMPARE(columns.value_text(row), ColumnList::format_value(expected));
    }
}

void FormulaPassTest::everyActiveRowIsStoredThenMarkedInAscendingOrder() {
    ColumnList columns;
    const int rows[] = {200, 3, 77, 4};
    for (int r : rows) columns.set_formula(r, QStringLiteral("=%1").arg(r));
    RecordingSink sink(columns);
    run_formulas(columns, sink);
    const std::vector<RecordingSink::Call> calls = sink.calls();
    const int ascending[] = {3, 4, 77, 200};
    QCOMPARE(int(calls.size()), 8);
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(calls[2 * k].index, ascending[k]);
        QCOMPARE(calls[2 * k].value, float(ascending[k]));
        QCOMPARE(calls[2 * k + 1].index, ascending[k]);
    }
}

void FormulaPassTest::lowerRowsSeeThisPassAndHigherRowsThePreviousOne() {
    ColumnList columns;
    columns.set_formula(3, QStringLiteral("=E+1"));   // D reads E from the previous pass
    columns.set_formula(4, QStringLiteral("=D*10"));  // E reads D from this pass
    RecordingSink sink(columns);
    run_formulas(columns, sink);
    QCOMPARE(columns.value(3), 1.0);
    QCOMPARE(columns.value(4), 10.0);
    run_formulas(columns, sink);
    QCOMPARE(columns.value(3), 11.0);
    QCOMPARE(columns.value(4), 110.0);
}

// Two acquisition threads run passes while the user-interface thread keeps rewriting formulas.
// Every pass must run whole (no other pass interleaved) and every stored value must be one that
// some version of the texts gives.
void FormulaPassTest::twoPassingThreadsAndAnEditorStayCorrect() {
    ColumnList columns;
    columns.set_value(0, 3);
    const int first = 3, last = 242;
    for (int r = first; r <= last; ++r) columns.set_formula(r, QStringLiteral("=A*2"));
    RecordingSink sink(columns);

    constexpr int kPasses = 60;
    std::atomic<bool> editing{true};
    std::thread editor([&] {
        for (int n = 0; editing.load(); ++n) {
            const int r = first + n % (last - first + 1);
            columns.set_formula(r, (n / 7) % 2 ? QStringLiteral("=A+1") : QStringLiteral("=A*2"));
            columns.set_name(r, QString::number(n));
            (void)columns.record(r);
        }
    });
    auto passes = [&] {
        for (int i = 0; i < kPasses; ++i) run_formulas(columns, sink);
    };
    std::thread worker1(passes), worker2(passes);
    worker1.join();
    worker2.join();
    editing = false;
    editor.join();

    const std::vector<RecordingSink::Call> calls = sink.calls();
    const int per_pass = 2 * (last - first + 1);
    QCOMPARE(int(calls.size()), 2 * kPasses * per_pass);
    for (int p = 0; p < 2 * kPasses; ++p) {
        const std::thread::id owner = calls[p * per_pass].thread;
        for (int k = 0; k < per_pass; ++k) {
            const RecordingSink::Call& c = calls[p * per_pass + k];
            QVERIFY2(c.thread == owner, "two passes overlapped");
            QCOMPARE(c.index, first + k / 2);
            QCOMPARE(c.what, k % 2 ? 'm' : 'v');
            if (c.what == 'v')
                QVERIFY2(c.value == 6.0f || c.value == 4.0f, qPrintable(QString::number(c.value)));
        }
    }
}

QTEST_GUILESS_MAIN(FormulaPassTest)
#include "tst_formula_pass.moc"
