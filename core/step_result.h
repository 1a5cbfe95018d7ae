#pragma once

// What one step of a state machine leaves: its new state, and how long its worker may wait (for
// a byte or a request) before the next step could change anything in that state. Both come from
// the same step, so they always agree.
struct StepResult {
    int state = 0;
    int wait_ms = 0;
};
