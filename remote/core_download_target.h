#pragma once

#include "remote/download_target.h"

class sdi12_core;

// Downloaded records through the acquisition core: its value store for the formula pass, its
// record writer (the log file it logs to) and its value board.
// Thread: the remote logger's worker thread; the core's operations used here are thread-safe.
class CoreDownloadTarget final : public DownloadTarget {
  public:
    CoreDownloadTarget(sdi12_core& core, ColumnList& columns) : core_(core), columns_(columns) {}

    ColumnList& columns() override { return columns_; }
    void run_formula_pass() override;
    bool write_record(int highest_column) override;
    void publish_values() override;

  private:
    sdi12_core& core_;
    ColumnList& columns_;
};
