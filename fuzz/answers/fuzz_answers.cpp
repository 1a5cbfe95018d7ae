// Feeds arbitrary received lines to the pure parsers of sensor answers and script lines.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/answer_match.h"
#include "core/data_answer.h"
#include "core/option_commands.h"
#include "core/script_line.h"
#include "link/number_text.h"

namespace {

template <typename Number>
void require_same_bits(Number a, Number b) {
    if (std::memcmp(&a, &b, sizeof a) != 0) std::abort();
}

// Numbers read from answers are what strtof and strtod read under the "C" locale (this process
// never leaves it), for any text made of the characters of an answer's numbers.
void check_number_reading(const QByteArray& line) {
    QByteArray text;
    for (const char c : line)
        if (c != '\0' && std::strchr("0123456789.+-Ee", c)) text += c;
    const char* first = text.constData();
    const char* last = first + text.size();
    require_same_bits(read_float_prefix(first, last), std::strtof(first, nullptr));
    require_same_bits(read_double_prefix(first, last), std::strtod(first, nullptr));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray line(reinterpret_cast<const char*>(data), int(size));

    const std::vector<float> values = split_data_answer(line);
    // Every value needs at least one character of the line.
    if (values.size() > std::size_t(line.size())) std::abort();
    check_number_reading(line);

    const ScriptLineAction action = classify_line(line);
    switch (action.code) {
        case -81:
        case 0:
        case 2:
        case 3:
        case 7:
        case 106:
        case 160:
            break;
        default:
            std::abort();
    }

    // A hand-written TIMEOUT line may carry any number.
    if (action.keyword == ScriptLineAction::kTimeout) {
        const int ms = script_timeout_ms(action.number);
        if ((action.number > 0 && ms < 0) || (action.number < 0 && ms > 0)) std::abort();
    }

    // The line as an answer to each kind of command, and as a command answered by itself.
    for (const AnswerKind kind : {AnswerKind::kMeasurement, AnswerKind::kConcurrent, AnswerKind::kData,
                                  AnswerKind::kServiceRequest, AnswerKind::kAny})
        for (const CommMode mode : {CommMode::Sdi12, CommMode::Rs485}) {
            answer_fits(line, QByteArray("0M!"), kind, mode);
            answer_fits(line, line, kind, mode);
        }
    if (answer_fits(QByteArray(), QByteArray("0D0!"), AnswerKind::kData, CommMode::Sdi12)) std::abort();

    for (const char* type : {"FLOAT", "SELECT", "LABEL"}) {
        const QString answer = extract_answer(line, QString::fromLatin1(type));
        if (answer.contains(QLatin1Char('\r')) || answer.contains(QLatin1Char('\n'))) std::abort();
    }
    return 0;
}
