#include "display_model/layout_file_io.h"

#include <QFile>
#include <QSaveFile>

namespace layout_file {

QDomDocument new_document(QDomElement& root) {
    QDomDocument doc(QStringLiteral("Config"));
    doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"),
                                                    QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    root = doc.createElement(QStringLiteral("main"));
    doc.appendChild(root);
    return doc;
}

QByteArray text(const QDomDocument& doc) {
    return doc.toString(1).toUtf8();
}

int save(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty()) return -1;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return -1;
    file.write(bytes);
    return file.commit() ? 0 : -1;
}

QString colour_name(const QColor& colour) {
    return colour.name(QColor::HexRgb).toLower();
}

void read_int(const ElementAttributes& attributes, const QString& key, int& out) {
    bool ok = false;
    const int value = attributes.value(key).toInt(&ok, 10);
    if (ok) out = value;
}

void read_colour(const ElementAttributes& attributes, const QString& key, QColor& out) {
    const QColor colour(attributes.value(key));
    if (colour.isValid()) out = colour;
}

void read_geometry(const ElementAttributes& attributes, int& x, int& y, int& w, int& h) {
    read_int(attributes, QStringLiteral("x"), x);
    read_int(attributes, QStringLiteral("y"), y);
    read_int(attributes, QStringLiteral("w"), w);
    read_int(attributes, QStringLiteral("h"), h);
}

void append_geometry(QDomDocument& doc, QDomElement& root, int x, int y, int w, int h) {
    QDomElement layout = doc.createElement(QStringLiteral("layout"));
    layout.setAttribute(QStringLiteral("x"), x);
    layout.setAttribute(QStringLiteral("y"), y);
    layout.setAttribute(QStringLiteral("w"), w);
    layout.setAttribute(QStringLiteral("h"), h);
    root.appendChild(layout);
}

}  // namespace layout_file
