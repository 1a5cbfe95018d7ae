#pragma once

#include <string>

// An SDI-12 command as a simulated sensor understands it, parsed from its text ("0M1!"), without
// the RS485 "%" prefix. Plain data; no I/O.
// Thread: any.
struct SimCommand {
    enum class Kind {
        Invalid,        // no address or no closing "!"
        Acknowledge,    // a!
        Identify,       // aI!
        Measure,        // aM! and aM1! to aM9!
        Concurrent,     // aC! and aC1! to aC9!
        Data,           // aD0! to aD9!
        ChangeAddress,  // aAb!
        ReadOption,     // aXR<NAME>!
        WriteOption,    // aXW<NAME>=<value>!
        Unknown,        // addressed, but no command this simulator knows
    };

    Kind kind = Kind::Invalid;
    char address = 0;
    int index = 0;         // measurement set (M, C) or data line (D)
    char new_address = 0;  // ChangeAddress
    std::string option_name;
    std::string option_value;
    std::string text;  // the command as received

    static SimCommand parse(const std::string& text);
};

// "0" to "9", "a" to "z" and "A" to "Z" are SDI-12 addresses.
bool is_sdi12_address(char c);
