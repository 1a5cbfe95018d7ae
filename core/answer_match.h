#pragma once

#include <QByteArray>

#include "core/sensor_link.h"

// What a command's answer must look like. SDI-12 guarantees the shape: an M (or S) answer is
// the address and "tttn", a C answer the address and "tttnn", a service request the bare
// address, a D answer the address followed by values (or nothing).
enum class AnswerKind {
    kMeasurement,     // aM!, aM1!, aMC!, aS!
    kConcurrent,      // aC!, aCC!
    kData,            // aD0! .. aD9!
    kServiceRequest,  // what WAITRESP waits for
    kAny,             // any other command: the answer starts with the address
};

// The kind of answer a command text asks for, from its second character.
AnswerKind answer_kind_of(const QByteArray& command);

// Whether `line` (a complete line as the link assembled it, CR included) answers `command`
// (as sent, without the "%" of RS485). The interface usually echoes the command (after "%" in
// RS485 mode) before the answer; an echo-less answer is taken too, except a bare address where
// data is awaited, which is a service request (a late one, or one left over from an earlier
// measurement). The address must be the command's: the new address for an address change
// "aAb!", any for "?!". With an empty `command` (nothing sent yet) any line fits.
bool answer_fits(const QByteArray& line, const QByteArray& command, AnswerKind kind, CommMode mode);

// The seconds "ttt" a measurement answer (`line` fitting `command` as kMeasurement or
// kConcurrent) announces until the data are ready, or -1 when the line holds none.
int announced_seconds(const QByteArray& line, const QByteArray& command, CommMode mode);

// A received line made readable for the console: CR and LF as "<CR>" and "<LF>".
QByteArray visible_line(QByteArray line);
