#pragma once

struct column_record;

// Flags of alarm_state: which of the four levels a column's value crosses.
enum AlarmFlag : int {
    kBelowAlarmLow = 0x1,
    kAboveAlarmHigh = 0x10,
    kBelowAlertLow = 0x100,
    kAboveAlertHigh = 0x1000,
};

// Display levels of alarm_state in mode kAlarmLevelMode.
enum AlarmLevel : int { kAlarmNormal = 0, kAlarmCrossed = 1, kAlertCrossed = 2 };
constexpr int kAlarmLevelMode = 1;

// The column's value (as a 32-bit float) against its four levels: slots 0 and 2 are crossed
// when the value is strictly below the level, slots 1 and 3 when strictly above. An empty slot
// or one whose text is not a number (surrounding blanks accepted) is ignored; a NaN value crosses
// nothing. Mode 1 returns the AlarmLevel (an alarm wins over an alert); any other mode the flags.
// Thread: any; reads only the record it is given (take it with ColumnList::record()).
int alarm_state(const column_record& column, int mode);
