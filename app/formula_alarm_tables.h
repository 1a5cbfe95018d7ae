#pragma once

class ColumnList;
class QTableWidget;

// The Formulas table (letters, variable label, name, formula) and the Alarm Levels table
// (letters and the four levels): one row per column record plus two spare rows. Only the formula
// and the levels are editable; an edit goes into the column list at once, as typed.
// Thread: the user-interface thread.
namespace formula_alarm_tables {

enum FormulaColumn : int { kName = 2, kFormula = 3 };
enum AlarmColumn : int { kFirstLevel = 1, kLastLevel = 4 };

void fill_formulas(QTableWidget& table, const ColumnList& columns);
void fill_alarms(QTableWidget& table, const ColumnList& columns);
void store_formula_edit(const QTableWidget& table, ColumnList& columns, int row, int column);
void store_alarm_edit(const QTableWidget& table, ColumnList& columns, int row, int column);

}  // namespace formula_alarm_tables
