#pragma once

#include "settings/start_element_handler.h"

class ColumnList;

// Handler of "varlist.xml": applies each `var` element to the column list as the reader
// meets it, so a file that breaks off keeps every element read before the fault.
// `col` must be one column reference in either case ("d", "IU"); only columns D and beyond that
// exist in the list are changed, and their letters become the text as written. An empty `name`
// keeps the name; every other attribute, missing or not, replaces its text.
// Thread: the thread that reads the file; each element is applied under the list's lock.
class parse_vars_cfg : public StartElementHandler {
  public:
    explicit parse_vars_cfg(ColumnList& columns) : columns_(columns) {}

    void startElement(const QString& qualified_name, const ElementAttributes& attributes) override;

    // Elements applied since the handler was made.
    int applied_count() const { return applied_; }

  private:
    ColumnList& columns_;
    int applied_ = 0;
};
