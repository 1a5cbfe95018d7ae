#pragma once

class ColumnList;

// Where downloaded records go: the shared column list, the formula pass over it, the record
// writer's first-three-from-columns form and the value snapshot the windows draw from. The
// acquisition core provides all of them (CoreDownloadTarget); tests may provide their own.
// Thread: called on the remote logger's worker thread; implementations are thread-safe.
class DownloadTarget {
  public:
    virtual ~DownloadTarget() = default;
    virtual ColumnList& columns() = 0;
    virtual void run_formula_pass() = 0;
    // Appends a record of columns 0..highest_column, the first three fields being the texts of
    // columns 0..2. Returns whether its line reached the log file; when it did not, the record
    // is not done and must be fetched again.
    virtual bool write_record(int highest_column) = 0;
    virtual void publish_values() = 0;
};
