// One formula pass over 240 formulas of the shapes users write (scaling, offsets, sums, a
// difference, an absolute value, a comparison), with a sink that stores into the column list as
// the acquisition core does.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "variables/column_list.h"
#include "variables/formula_evaluator.h"
#include "variables/formula_pass.h"

namespace {

class StoringSink : public ColumnSink {
  public:
    explicit StoringSink(ColumnList& columns) : columns_(columns) {}
    void set_column_value(int index, float value) override { columns_.set_value(index, value); }
    void mark_column(int, int index) override { highest_ = std::max(highest_, std::min(index, 240)); }

  private:
    ColumnList& columns_;
    int highest_ = 0;
};

QString formula_for(int row) {
    const QString a = column_letters(3 + (row * 7) % 120), b = column_letters(3 + (row * 13) % 120);
    switch (row % 6) {
        case 0:
            return QStringLiteral("=%1*5.5+0.25").arg(a);
        case 1:
            return QStringLiteral("=(%1-%2)/2").arg(a, b);
        case 2:
            return QStringLiteral("=ABS(%1-10.5)*1.8+32").arg(a);
        case 3:
            return QStringLiteral("=%1+%2+%1*0.1").arg(a, b);
        case 4:
            return QStringLiteral("=(%1>%2)*%1+(%1<=%2)*%2").arg(a, b);
        default:
            return QStringLiteral("=%1*%1*0.003-%2*1.25+4.75").arg(a, b);
    }
}

void fill(ColumnList& columns) {
    for (int i = 3; i < 125; ++i) columns.set_value(i, 1.5 * i - 40);
    for (int row = 3; row < 3 + 240; ++row) columns.set_formula(row, formula_for(row));
}

void BM_FormulaPass240(benchmark::State& state) {
    ColumnList columns;
    fill(columns);
    StoringSink sink(columns);
    for (auto _ : state) run_formulas(columns, sink);
    state.SetItemsProcessed(state.iterations() * 240);
}
BENCHMARK(BM_FormulaPass240)->Unit(benchmark::kMicrosecond);

void BM_EvaluateOneFormula(benchmark::State& state) {
    std::vector<float> values(255, 2.5f);
    const QByteArray text = "(D>E)*D+(D<=E)*E";
    for (auto _ : state) benchmark::DoNotOptimize(evaluate_expression(text, values));
}
BENCHMARK(BM_EvaluateOneFormula)->Unit(benchmark::kNanosecond);

}  // namespace
