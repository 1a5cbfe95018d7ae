#pragma once

class ColumnList;

// Where the formula pass stores its results: the acquisition core. set_column_value stores a value
// into the column list; mark_column(0, i) makes column i part of the record being built (the core's
// record cursor).
// Thread: called on the acquisition thread that runs the pass.
class ColumnSink {
  public:
    virtual ~ColumnSink() = default;
    virtual void set_column_value(int index, float value) = 0;
    virtual void mark_column(int kind, int index) = 0;
};

// The formula pass: for every column in ascending order whose formula text begins with "=",
// evaluates the rest over the values as they stood when the pass started (and the results of the
// rows above), stores the result through the sink, then marks the column (kind 0). Two passes
// never overlap, whichever threads call it (the column list's formula-pass lock).
void run_formulas(ColumnList& columns, ColumnSink& sink);
