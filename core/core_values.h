#pragma once

#include "core/record_cursor.h"
#include "variables/column_list.h"
#include "variables/formula_pass.h"

// The value store of the core: the logging cycle and the formula pass put the values they
// measure or compute into the column list through it, and mark the columns the record reaches
// on the record cursor.
// Thread: the core's worker thread (tests: theirs).
class CoreValues final : public ColumnSink {
  public:
    CoreValues(ColumnList& columns, RecordCursor& cursor) : columns_(columns), cursor_(cursor) {}

    void set_column_value(int index, float value) override {
        if (index >= 0 && index < columns_.size()) columns_.set_value(index, double(value));
    }
    void mark_column(int kind, int index) override { cursor_.mark(kind, index); }

  private:
    ColumnList& columns_;
    RecordCursor& cursor_;
};
