#include "remote/core_download_target.h"

#include "core/sdi12_core.h"
#include "variables/formula_pass.h"

void CoreDownloadTarget::run_formula_pass() {
    run_formulas(columns_, core_);
}

bool CoreDownloadTarget::write_record(int highest_column) {
    return core_.write_record(highest_column, true);
}

void CoreDownloadTarget::publish_values() {
    core_.value_board().publish(columns_);
}
