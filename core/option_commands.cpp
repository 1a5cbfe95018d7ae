#include "core/option_commands.h"

namespace {
const QString kFloat = QStringLiteral("FLOAT");
const QString kSelect = QStringLiteral("SELECT");

QString with_address(QString command, const QString& address) {
    if (!command.isEmpty()) command.replace(0, 1, address);
    return command;
}
}  // namespace

QString build_command(const dev_opt& option, int kind, const QString& address, const QString& value) {
    if (kind == kReadOption) return with_address(option.read_cmd, address);
    if (kind != kWriteOption) return QString();
    QString prepared = value;
    if (option.type == kFloat) prepared.remove(QLatin1Char('+'));
    if (option.type == kSelect) {
        const int at = option.displayed_values.indexOf(prepared);
        if (at >= 0 && at < option.stored_values.size()) prepared = option.stored_values.at(at);
    }
    QString command = with_address(option.write_cmd, address);
    command.replace(QLatin1Char('#'), prepared);
    return command;
}

QString extract_answer(const QByteArray& line, const QString& type) {
    const int bang = line.indexOf('!');
    QString answer = bang < 0 ? QString() : QString::fromLatin1(line.mid(bang + 2));
    answer.remove(QLatin1Char('\r'));
    answer.remove(QLatin1Char('\n'));
    if (type == kFloat) answer.remove(QLatin1Char('+'));
    return answer;
}
