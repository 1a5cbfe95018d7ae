#pragma once

#include <QByteArray>
#include <QString>

#include "devices/idev.h"

// Kinds of option command.
enum OptionCommandKind : int { kReadOption = 1, kWriteOption = 2 };

// The read (kind 1) or write (kind 2) command of an option for a sensor at `address`: the
// command's first character is replaced by the address; in a write command every "#" is replaced
// by the value, after "+" signs were removed from a FLOAT value and a SELECT value shown to the
// user was turned into the value the sensor understands. Any other kind gives an empty text.
QString build_command(const dev_opt& option, int kind, const QString& address,
                      const QString& value = QString());

// The value in an answer line to an option read: the text after the first "!" and one more
// character (the echoed command comes first, then the answering address), without CR and LF, and
// for a FLOAT option without "+" signs.
QString extract_answer(const QByteArray& line, const QString& type);
