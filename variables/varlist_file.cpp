#include "variables/varlist_file.h"

#include <QDomDocument>
#include <QSaveFile>

#include "settings/start_element_reader.h"
#include "variables/column_list.h"
#include "variables/parse_vars_cfg.h"

namespace {

// 255 columns of short texts take some 60 KB; a file far larger is not a variable list.
constexpr qint64 kMaxVarlistBytes = 16 * 1024 * 1024;

bool is_xml_char(ushort u) {
    return u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u < 0xFFFE);
}

// True when a character is one XML 1.0 cannot hold: a control character, U+FFFE, U+FFFF or half
// of a surrogate pair without its other half.
bool is_unwritable(const QString& text, int i) {
    const QChar c = text.at(i);
    if (c.isHighSurrogate()) return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
    if (c.isLowSurrogate()) return i == 0 || !text.at(i - 1).isHighSurrogate();
    return !is_xml_char(c.unicode());
}

// Drops what XML 1.0 cannot hold; one such character would otherwise end the reading of the file.
QString clean(const QString& text) {
    int first = 0;
    while (first < text.size() && !is_unwritable(text, first)) ++first;
    if (first == text.size()) return text;  // the usual case: nothing to copy
    QString out = text.left(first);
    for (int i = first; i < text.size(); ++i)
        if (!is_unwritable(text, i)) out.append(text.at(i));
    return out;
}

}  // namespace

int read_varlist(ColumnList& columns, const QString& path, QString* said) {
    parse_vars_cfg handler(columns);
    const QString line = read_settings_file(path, handler, kMaxVarlistBytes)
                             .said(QStringLiteral("the default column texts (empty names, units, formulas "
                                                  "and alarm levels)"));
    if (said) *said = line;
    return handler.applied_count();
}

int read_varlist_data(ColumnList& columns, const QByteArray& document) {
    parse_vars_cfg handler(columns);
    StartElementReader(handler).read(document);
    return handler.applied_count();
}

QByteArray varlist_document(const ColumnList& columns) {
    std::vector<column_record> records;
    columns.read_all([&records](const std::vector<column_record>& all) { records = all; });

    QDomDocument doc(QStringLiteral("Config"));
    doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"),
                                                    QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    QDomElement root = doc.createElement(QStringLiteral("config"));
    doc.appendChild(root);
    for (const column_record& r : records) {
        QDomElement var = doc.createElement(QStringLiteral("var"));
        var.setAttribute(QStringLiteral("col"), clean(r.letters));
        var.setAttribute(QStringLiteral("name"), clean(r.name));
        var.setAttribute(QStringLiteral("units"), clean(r.units));
        var.setAttribute(QStringLiteral("formula"), clean(r.formula));
        var.setAttribute(QStringLiteral("user1"), clean(r.user1));
        for (int slot = 0; slot < 4; ++slot)
            var.setAttribute(QStringLiteral("alarm%1").arg(slot), clean(r.alarm[slot]));
        root.appendChild(var);
    }
    return doc.toByteArray(1);
}

int write_varlist(const ColumnList& columns, const QString& path) {
    const QByteArray document = varlist_document(columns);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return -1;
    if (file.write(document) != document.size()) {
        file.cancelWriting();
        return -1;
    }
    return file.commit() ? 0 : -1;
}
