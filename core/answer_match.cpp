#include "core/answer_match.h"

namespace {

bool all_digits(const QByteArray& text) {
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// The address the answer to `command` comes from; '?' when any address may answer.
char answering_address(const QByteArray& command) {
    if (command.startsWith('?')) return '?';
    // An address change is answered by the sensor at its new address.
    if (command.size() >= 4 && command[1] == 'A' && command.endsWith('!')) return command[2];
    return command.isEmpty() ? '?' : command[0];
}

QByteArray without_line_end(QByteArray line) {
    while (line.endsWith('\r') || line.endsWith('\n')) line.chop(1);
    return line;
}

}  // namespace

AnswerKind answer_kind_of(const QByteArray& command) {
    if (command.size() < 2) return AnswerKind::kAny;
    switch (command[1]) {
        case 'D':
            return AnswerKind::kData;
        case 'M':
        case 'S':
            return AnswerKind::kMeasurement;
        case 'C':
            return AnswerKind::kConcurrent;
        default:
            return AnswerKind::kAny;
    }
}

bool answer_fits(const QByteArray& line, const QByteArray& command, AnswerKind kind, CommMode mode) {
    if (command.isEmpty()) return true;
    QByteArray sent = command;
    const int end = sent.indexOf('\r') >= 0 ? sent.indexOf('\r') : sent.indexOf('\n');
    if (end >= 0) sent.truncate(end);
    const QByteArray echo = mode == CommMode::Sdi12 ? sent : QByteArray("%") + sent;

    QByteArray answer = without_line_end(line);
    const bool echoed = answer.startsWith(echo);
    if (echoed) answer.remove(0, echo.size());
    if (answer.isEmpty()) return false;
    const char address = answering_address(sent);
    if (address != '?' && answer[0] != address) return false;

    const QByteArray rest = answer.mid(1);
    switch (kind) {
        case AnswerKind::kMeasurement:
            return rest.size() == 4 && all_digits(rest);
        case AnswerKind::kConcurrent:
            return rest.size() == 5 && all_digits(rest);
        case AnswerKind::kData:
            // Without the echo a bare address is a service request, not an empty data answer.
            return rest.isEmpty() ? echoed : rest[0] == '+' || rest[0] == '-';
        case AnswerKind::kServiceRequest:
            return rest.isEmpty();
        case AnswerKind::kAny:
            return echoed || !rest.isEmpty();
    }
    return false;
}

int announced_seconds(const QByteArray& line, const QByteArray& command, CommMode mode) {
    QByteArray sent = command;
    const int end = sent.indexOf('\r') >= 0 ? sent.indexOf('\r') : sent.indexOf('\n');
    if (end >= 0) sent.truncate(end);
    const QByteArray echo = mode == CommMode::Sdi12 ? sent : QByteArray("%") + sent;
    QByteArray answer = without_line_end(line);
    if (!sent.isEmpty() && answer.startsWith(echo)) answer.remove(0, echo.size());
    const QByteArray ttt = answer.mid(1, 3);
    return answer.size() >= 5 && all_digits(ttt) ? ttt.toInt() : -1;
}

QByteArray visible_line(QByteArray line) {
    return line.replace("\r", "<CR>").replace("\n", "<LF>");
}
