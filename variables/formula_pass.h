#pragma once

class ColumnList;

// Where the formula pass stores its results: the acquisition core's value store. set_column_value
// keeps the core's value array and the column list in step; mark_column(0, i) makes column i part
// of the record being built.
// Thread: called on the acquisition thread that runs the pass.
class ColumnSink {
  public:
    virtual ~ColumnSink() = default;
    virtual void set_column_value(int index, float value) = 0;
    virtual void mark_column(int kind, int index) = 0;
};

// The formula pass: for every column in ascending order whose formula text begins with "=",
// evaluates the rest and stores the result through the sink, then marks the column (kind 0).
// Two passes never overlap, whichever threads call it.
void run_formulas(ColumnList& columns, ColumnSink& sink);
