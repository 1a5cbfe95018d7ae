#include "variables/parse_vars_cfg.h"

#include "variables/column_list.h"
#include "variables/column_ref.h"

void parse_vars_cfg::startElement(const QString& qualified_name, const ElementAttributes& attributes) {
    if (qualified_name != QLatin1String("var")) return;
    const QString col = attributes.value(QStringLiteral("col"));
    const int index = column_index_of(col);
    if (index <= ColumnList::kTimeColumn) return;  // not a reference, or a system column

    const QString name = attributes.value(QStringLiteral("name"));
    bool applied = false;
    columns_.edit_all([&](std::vector<column_record>& records) {
        if (index >= int(records.size())) return;
        column_record& r = records[index];
        r.letters = col;
        if (!name.isEmpty()) r.name = name;
        r.units = attributes.value(QStringLiteral("units"));
        r.user1 = attributes.value(QStringLiteral("user1"));
        r.formula = attributes.value(QStringLiteral("formula"));
        for (int slot = 0; slot < 4; ++slot)
            r.alarm[slot] = attributes.value(QStringLiteral("alarm%1").arg(slot));
        applied = true;
    });
    if (applied) ++applied_;
}
