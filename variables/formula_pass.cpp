#include "variables/formula_pass.h"

#include <vector>

#include "variables/column_list.h"
#include "variables/float_conversion.h"
#include "variables/formula_evaluator.h"

void run_formulas(ColumnList& columns, ColumnSink& sink) {
    std::lock_guard<std::mutex> pass(columns.formula_pass_mutex());

    // The texts as they stand when the pass starts: an edit made meanwhile counts from the next pass.
    std::vector<QString> formulas;
    columns.read_all([&formulas](const std::vector<column_record>& records) {
        formulas.reserve(records.size());
        for (const column_record& r : records) formulas.push_back(r.formula);
    });

    std::vector<float> values(formulas.size());
    columns.copy_values_f(values.data(), int(values.size()));
    const ColumnValues view(values);

    QByteArray expression;
    for (int i = 0; i < int(formulas.size()); ++i) {
        const QString& formula = formulas[i];
        if (!formula.startsWith(QLatin1Char('='))) continue;
        expression = formula.midRef(1).toLatin1();
        const float result = evaluate_expression(expression, view);
        sink.set_column_value(i, result);
        sink.mark_column(0, i);
        // Later rows see what this row stored.
        values[i] = to_float(columns.value(i));
    }
}
