#pragma once

#include <string>

// The faults a simulated sensor shows on demand. Several may be combined; "silent" wins over all
// others. Plain data.
// Thread: any.
struct FaultConfig {
    bool silent = false;         // the echo only, never an answer
    bool late = false;           // the answer starts late_ms after the command's echo
    bool garbage = false;        // garbage_count random bytes (never CR or LF) before the answer
    bool garbage_only = false;   // garbage_count random bytes instead of the answer
    bool long_line = false;      // the answer line is padded with "#" to long_line_length characters
    bool other_address = false;  // no echo after the "%"; the answer carries other_address
    int late_ms = 2000;
    int garbage_count = 12;
    int long_line_length = 300;
    char other_address_char = 0;  // 0: the address after the sensor's own (0-9, then a-z)

    bool any() const { return silent || late || garbage || garbage_only || long_line || other_address; }

    // Sets the fault kinds from a list such as "late garbage" or "none" (blanks or commas between
    // names); the numbers stay. Returns false and sets *error for an unknown name.
    bool set_kinds(const std::string& names, std::string* error);

    // The names of the fault kinds, for messages and help.
    static const char* kind_names();
};
