#pragma once

#include <QString>
#include <vector>

#include "devices/idev.h"

// A batch of option reads for one sensor: the core keeps this copy of the options for the whole
// batch, so the caller's own list may change or go away meanwhile.
struct OptionBatchRequest {
    std::vector<dev_opt> options;
    QString address;
};

// One option's reading: the value text and the whole answer line, empty until the sensor answered.
struct OptionReading {
    bool answered = false;
    QString value;
    QString raw_answer;
};

// What a batch has read so far, one reading per option of the request, in its order.
// `batch` names the request it answers (the number do_multicmd returned), so a reader can tell
// the readings of its own batch from those of one asked for later.
struct OptionBatchReply {
    int batch = 0;
    std::vector<OptionReading> readings;
    bool done = false;  // every option was asked (answered or not)
};
