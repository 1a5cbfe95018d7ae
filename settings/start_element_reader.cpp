#include "settings/start_element_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include "settings/regular_file.h"

namespace {

const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

// True when the document is read as UTF-8: it starts with no UTF-16 or UTF-32 byte order mark or
// zero byte, and its XML declaration, if it has one, names no other encoding.
bool read_as_utf8(const QByteArray& document) {
    if (document.startsWith("\xFE\xFF") || document.startsWith("\xFF\xFE") || document.left(2).contains('\0'))
        return false;
    const int start = document.startsWith(kUtf8ByteOrderMark) ? 3 : 0;
    if (document.indexOf("<?xml", start) != start) return true;
    const int end = document.indexOf("?>", start);
    if (end < 0) return true;
    QXmlStreamReader declaration(document.mid(start, end + 2 - start));
    declaration.readNext();
    const QStringRef encoding = declaration.documentEncoding();
    return encoding.isEmpty() || encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0;
}

// QXmlStreamReader refuses a whole UTF-8 document for one byte sequence that is not UTF-8, so a
// file an editor saved in another encoding would lose every element. Such bytes become U+FFFD
// instead and the elements around them stay.
QByteArray readable(const QByteArray& document) {
    return read_as_utf8(document) ? QString::fromUtf8(document).toUtf8() : document;
}

}  // namespace

XmlFault StartElementReader::read(const QByteArray& document) const {
    QXmlStreamReader xml(readable(document));
    // Names are matched as written: a prefix is part of the name and needs no declaration.
    xml.setNamespaceProcessing(false);
    // atEnd() also turns true at the first fault, premature end of the document included.
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            handler_.startElement(xml.qualifiedName().toString(), ElementAttributes(xml.attributes()));
    }
    XmlFault fault;
    if (!xml.hasError()) return fault;
    fault.line = xml.lineNumber();
    fault.column = xml.columnNumber();
    fault.message = xml.errorString();
    // The message becomes part of a longer line.
    if (fault.message.endsWith(QLatin1Char('.'))) fault.message.chop(1);
    if (fault.message.isEmpty()) fault.message = QStringLiteral("not well-formed XML");
    return fault;
}

QString SettingsFileRead::said(const QString& defaults) const {
    switch (outcome) {
        case kRead:
        case kMissing:
            return QString();
        case kNotRead:
            return defaults.isEmpty() ? QStringLiteral("%1: %2").arg(name, reason)
                                      : QStringLiteral("%1: %2: using %3").arg(name, reason, defaults);
        case kFault:
            break;
    }
    QString line = QStringLiteral("%1 line %2, column %3: %4: keeping what was read before it")
                       .arg(name)
                       .arg(fault.line)
                       .arg(fault.column)
                       .arg(fault.message);
    if (!defaults.isEmpty()) line += QStringLiteral(", for the rest using ") + defaults;
    return line;
}

SettingsFileRead read_settings_file(const QString& path, StartElementHandler& handler, qint64 max_bytes) {
    SettingsFileRead result;
    const QFileInfo info(path);
    result.name = info.dir().dirName() + QLatin1Char('/') + info.fileName();
    QFile file(path);
    const RegularFileOpen opened = open_regular_file(file, QIODevice::ReadOnly);
    if (!opened.opened) {
        result.outcome = opened.missing ? SettingsFileRead::kMissing : SettingsFileRead::kNotRead;
        result.reason = opened.reason;
        return result;
    }
    // One byte more than allowed tells a file that is too large from one that just fits.
    const QByteArray document = file.read(max_bytes + 1);
    result.outcome = SettingsFileRead::kNotRead;
    if (file.error() != QFileDevice::NoError)
        result.reason = file.errorString();
    else if (document.isEmpty())
        result.reason = QStringLiteral("the file is empty");
    else if (document.size() > max_bytes)
        result.reason = QStringLiteral("larger than %1 bytes, so not a settings file").arg(max_bytes);
    if (!result.reason.isEmpty()) return result;
    result.fault = StartElementReader(handler).read(document);
    result.outcome = result.fault.found() ? SettingsFileRead::kFault : SettingsFileRead::kRead;
    return result;
}
