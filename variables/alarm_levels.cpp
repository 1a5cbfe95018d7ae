#include "variables/alarm_levels.h"

#include "variables/column_list.h"
#include "variables/float_conversion.h"

int alarm_state(const column_record& column, int mode) {
    static const int kSlotFlags[4] = {kBelowAlarmLow, kAboveAlarmHigh, kBelowAlertLow, kAboveAlertHigh};
    // Levels are typed as 32-bit numbers and values are stored from 32-bit floats: comparing both
    // in float keeps a value equal to its typed level (0.1 against "0.1") uncrossed.
    const float value = to_float(column.value);
    int flags = 0;
    for (int slot = 0; slot < 4; ++slot) {
        const QString& text = column.alarm[slot];
        if (text.isEmpty()) continue;
        bool ok = false;
        const float level = text.trimmed().toFloat(&ok);
        if (!ok) continue;
        const bool low_slot = (slot % 2) == 0;
        const bool crossed = low_slot ? value < level : value > level;
        if (crossed) flags |= kSlotFlags[slot];
    }
    if (mode != kAlarmLevelMode) return flags;
    if (flags & (kBelowAlarmLow | kAboveAlarmHigh)) return kAlarmCrossed;
    if (flags & (kBelowAlertLow | kAboveAlertHigh)) return kAlertCrossed;
    return kAlarmNormal;
}
