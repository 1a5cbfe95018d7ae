// Feeds arbitrary received lines to the pure parsers of sensor answers and script lines.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>

#include "core/data_answer.h"
#include "core/option_commands.h"
#include "core/script_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray line(reinterpret_cast<const char*>(data), int(size));

    const std::vector<float> values = split_data_answer(line);
    // Every value needs at least one character of the line.
    if (values.size() > std::size_t(line.size())) std::abort();

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

    for (const char* type : {"FLOAT", "SELECT", "LABEL"}) {
        const QString answer = extract_answer(line, QString::fromLatin1(type));
        if (answer.contains(QLatin1Char('\r')) || answer.contains(QLatin1Char('\n'))) std::abort();
    }
    return 0;
}
