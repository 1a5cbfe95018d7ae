#include "sim/sim_command.h"

#include <cctype>

bool is_sdi12_address(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// "" gives set 0, one digit gives that set; anything else is no measurement command.
bool measurement_index(const std::string& rest, int* index) {
    if (rest.empty()) {
        *index = 0;
        return true;
    }
    if (rest.size() == 1 && is_digit(rest[0]) && rest[0] != '0') {
        *index = rest[0] - '0';
        return true;
    }
    return false;
}

}  // namespace

SimCommand SimCommand::parse(const std::string& text) {
    SimCommand command;
    command.text = text;
    if (text.size() < 2 || text.back() != '!' || !is_sdi12_address(text[0])) return command;
    command.address = text[0];
    // The body between the address and the "!".
    const std::string body = text.substr(1, text.size() - 2);
    command.kind = Kind::Unknown;
    if (body.empty()) {
        command.kind = Kind::Acknowledge;
    } else if (body == "I") {
        command.kind = Kind::Identify;
    } else if (body[0] == 'M' && measurement_index(body.substr(1), &command.index)) {
        command.kind = Kind::Measure;
    } else if (body[0] == 'C' && measurement_index(body.substr(1), &command.index)) {
        command.kind = Kind::Concurrent;
    } else if (body.size() == 2 && body[0] == 'D' && is_digit(body[1])) {
        command.kind = Kind::Data;
        command.index = body[1] - '0';
    } else if (body.size() == 2 && body[0] == 'A' && is_sdi12_address(body[1])) {
        command.kind = Kind::ChangeAddress;
        command.new_address = body[1];
    } else if (body.size() > 2 && body.compare(0, 2, "XR") == 0) {
        command.kind = Kind::ReadOption;
        command.option_name = body.substr(2);
    } else if (body.size() > 2 && body.compare(0, 2, "XW") == 0) {
        const auto equals = body.find('=');
        if (equals != std::string::npos && equals > 2) {
            command.kind = Kind::WriteOption;
            command.option_name = body.substr(2, equals - 2);
            command.option_value = body.substr(equals + 1);
        }
    }
    return command;
}
