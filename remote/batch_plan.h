#pragma once

#include <QStringList>

// One planning step of a download: from the last downloaded record and the remote logger's
// oldest and newest record numbers, which records to ask for next and what to say about it.
// Records are asked for after `record`, so a gap or a restart sets it one below the oldest
// record the logger holds, and every record it still holds is fetched. Pure.
struct BatchPlan {
    enum Outcome { kDownload, kNoData, kRestart };
    static constexpr int kBatchLimit = 5;
    static constexpr int kLoggerLimit = 4000;  // the logger keeps no more than this
    static constexpr int kCallLimit = 1000;    // records fetched in one call at the most

    Outcome outcome = kNoData;
    int record = 0;        // the last downloaded record number, adjusted
    int batch_count = 0;   // records to ask for after `record` (kDownload)
    QStringList messages;  // console lines, in order
};

BatchPlan plan_batch(int record, int first_record, int last_record);
