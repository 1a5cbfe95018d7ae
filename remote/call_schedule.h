#pragma once

#include <QDateTime>

#include "remote/dialout_settings.h"

// The time of the next call after `now` (local time): hourly, the next full hour; twice or once
// daily, the first chosen day of this week and the next (Monday first) whose first (or second)
// time lies after now. Invalid when a daily schedule has no day chosen (or no valid time): then
// no call is due. Pure.
QDateTime next_call_time(const DialoutSettings& settings, const QDateTime& now);
