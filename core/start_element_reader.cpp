#include "core/start_element_reader.h"

#include <QXmlStreamReader>

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

void StartElementReader::read(const QByteArray& document) const {
    QXmlStreamReader xml(readable(document));
    // Names are matched as written: a prefix is part of the name and needs no declaration.
    xml.setNamespaceProcessing(false);
    // atEnd() also turns true at the first fault, premature end of the document included.
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            handler_.startElement(xml.qualifiedName().toString(), ElementAttributes(xml.attributes()));
    }
}
