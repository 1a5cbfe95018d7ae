#pragma once

#include <QByteArray>

// What a line of the logging script asks the walker to do. The codes are the walker's step states.
// Plain data; any thread.
struct ScriptLineAction {
    enum Code : int {
        kGoOn = -81,         // keyword handled, fetch the next line at once
        kStop = 0,           // leave the step (skipped line, or DLY)
        kSendWaitLine = 2,   // M or S command: send, wait for a line
        kSendParseData = 3,  // D command: send, parse the answer
        kSendDefer = 7,      // C command: send, wait, then defer its data lines
        kWaitLine = 106,     // WAITRESP, or a command the engine does not send
        kEndOfScript = 160,
    };
    enum Keyword { kNone, kCell, kDelay, kStart, kTimeout, kWaitResp, kEnd };

    int code = kStop;
    Keyword keyword = kNone;
    int number = 0;  // the decimal number after CELL, DLY and TIMEOUT
};

// Classifies one script line: keywords (CELL n, DLY n, START, TIMEOUT n, WAITRESP, END) by their
// first characters, then SDI-12 commands by their second character (D, M or S, C), then any other
// text ending in "!" as a line to wait for without sending it. Pure: the walker applies the effects.
ScriptLineAction classify_line(const QByteArray& line);

// The milliseconds of "TIMEOUT n": n x 1000, held within an int for any n a script may carry.
int script_timeout_ms(int seconds);
