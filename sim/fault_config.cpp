#include "sim/fault_config.h"

#include <sstream>

const char* FaultConfig::kind_names() {
    return "none, silent, late, garbage, garbage-only, long-line, other-address";
}

bool FaultConfig::set_kinds(const std::string& names, std::string* error) {
    std::string list = names;
    for (char& c : list)
        if (c == ',') c = ' ';
    FaultConfig kinds = *this;
    kinds.silent = kinds.late = kinds.garbage = kinds.garbage_only = kinds.long_line = kinds.other_address =
        false;
    std::istringstream words(list);
    std::string name;
    while (words >> name) {
        if (name == "none") continue;
        if (name == "silent") {
            kinds.silent = true;
        } else if (name == "late") {
            kinds.late = true;
        } else if (name == "garbage") {
            kinds.garbage = true;
        } else if (name == "garbage-only") {
            kinds.garbage_only = true;
        } else if (name == "long-line") {
            kinds.long_line = true;
        } else if (name == "other-address") {
            kinds.other_address = true;
        } else {
            *error = "unknown fault \"" + name + "\" (known: " + kind_names() + ")";
            return false;
        }
    }
    *this = kinds;
    return true;
}
