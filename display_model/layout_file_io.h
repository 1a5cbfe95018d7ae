#pragma once

#include <QByteArray>
#include <QColor>
#include <QDomDocument>
#include <QString>

#include "settings/element_attributes.h"

// What the LCD and plot layout files share: the document ("Config", root "main"), its size
// bound, replacing it whole, and attributes read into a field only when they read.
// Thread: the user-interface thread (the windows that own the files).
namespace layout_file {

// A document of type "Config" with the xml declaration and an empty root "main".
QDomDocument new_document(QDomElement& root);
// The document's text with an indent of one space.
QByteArray text(const QDomDocument& doc);
// Replaces the file with `bytes`. 0 on success, -1 when the file cannot be written (then the
// old file stays as it was).
int save(const QString& path, const QByteArray& bytes);
// A layout file holds a few short elements; anything far larger is not one and is not read.
inline constexpr qint64 kMaxLayoutBytes = 1024 * 1024;

// "#rrggbb" in lower-case hexadecimal digits.
QString colour_name(const QColor& colour);
// A base-10 integer or a colour ("#rrggbb" or a standard name) into `out`; a missing or
// unreadable attribute leaves `out` as it was, so a hand-edited file cannot zero a window's size
// or blank a colour.
void read_int(const ElementAttributes& attributes, const QString& key, int& out);
void read_colour(const ElementAttributes& attributes, const QString& key, QColor& out);

// The window's place and size, the `layout` element both files share (x, y, w, h).
void read_geometry(const ElementAttributes& attributes, int& x, int& y, int& w, int& h);
void append_geometry(QDomDocument& doc, QDomElement& root, int x, int y, int w, int h);

}  // namespace layout_file
