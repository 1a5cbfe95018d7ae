#include "remote/batch_plan.h"

#include <algorithm>

BatchPlan plan_batch(int record, int first_record, int last_record) {
    BatchPlan plan;
    plan.messages << QStringLiteral("LAST_LOG= ") + QString::number(record);
    if (record < first_record - 1) {
        // The logger dropped records we never fetched: go on with its oldest.
        record = first_record - 1;
        plan.messages << QStringLiteral("WARNING - GAP IN LOGFILE");
    }
    int pending = last_record - record;
    if (pending > BatchPlan::kLoggerLimit) {
        record = last_record - BatchPlan::kLoggerLimit;
        pending = BatchPlan::kLoggerLimit;
        plan.messages << QStringLiteral("WARNING - LOGGER LIMIT EXCEEDED");
    }
    if (pending > BatchPlan::kCallLimit) {
        pending = BatchPlan::kCallLimit;
        plan.messages << QStringLiteral("WARNING - MAX LIMIT EXCEEDED");
    }
    plan.record = record;
    if (pending < 0) {
        plan.messages << QStringLiteral("ERROR - RESTARTING LOG");
        // A logger whose newest record is older than its oldest would have us restart for ever.
        plan.outcome = record == first_record - 1 ? BatchPlan::kNoData : BatchPlan::kRestart;
        plan.record = first_record - 1;
        return plan;
    }
    if (pending == 0) {
        plan.messages << QStringLiteral("NO DATA");
        plan.outcome = BatchPlan::kNoData;
        return plan;
    }
    plan.outcome = BatchPlan::kDownload;
    plan.batch_count = std::min(pending, BatchPlan::kBatchLimit);
    return plan;
}
