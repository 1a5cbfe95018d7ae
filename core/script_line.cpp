#include "core/script_line.h"

#include <algorithm>

namespace {

// The decimal number right after a keyword; spaces before it are allowed, anything else ends it.
int number_after(const QByteArray& line, int keyword_length) {
    int i = keyword_length;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
    long long value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        value = value * 10 + (line[i] - '0');
        if (value > 1000000000LL) value = 1000000000LL;  // keeps hand-written scripts from overflowing
    }
    return int(negative ? -value : value);
}

}  // namespace

ScriptLineAction classify_line(const QByteArray& line) {
    ScriptLineAction a;
    if (line.startsWith("CELL")) {
        a.keyword = ScriptLineAction::kCell;
        a.number = number_after(line, 4);
        a.code = ScriptLineAction::kGoOn;
    } else if (line.startsWith("DLY")) {
        a.keyword = ScriptLineAction::kDelay;
        a.number = number_after(line, 3);
        a.code = ScriptLineAction::kStop;
    } else if (line.startsWith("START")) {
        a.keyword = ScriptLineAction::kStart;
        a.code = ScriptLineAction::kGoOn;
    } else if (line.startsWith("TIMEOUT")) {
        a.keyword = ScriptLineAction::kTimeout;
        a.number = number_after(line, 7);
        a.code = ScriptLineAction::kGoOn;
    } else if (line.startsWith("WAITRESP")) {
        a.keyword = ScriptLineAction::kWaitResp;
        a.code = ScriptLineAction::kWaitLine;
    } else if (line.startsWith("END")) {
        a.keyword = ScriptLineAction::kEnd;
        a.code = ScriptLineAction::kEndOfScript;
    } else if (line.size() >= 2 && line[1] == 'D') {
        a.code = ScriptLineAction::kSendParseData;
    } else if (line.size() >= 2 && (line[1] == 'M' || line[1] == 'S')) {
        a.code = ScriptLineAction::kSendWaitLine;
    } else if (line.size() >= 2 && line[1] == 'C') {
        a.code = ScriptLineAction::kSendDefer;
    } else if (line.endsWith('!')) {
        a.code = ScriptLineAction::kWaitLine;
    }
    return a;
}

int script_timeout_ms(int seconds) {
    constexpr long long kMaxMs = 2147483647LL;
    const long long ms = static_cast<long long>(seconds) * 1000;
    return int(std::clamp(ms, -kMaxMs, kMaxMs));
}
