#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <array>

// What an LCD panel window keeps in its layout file: geometry, the four colours, the layout code,
// the titles and units switches and the column bound to each of the 16 bindable cells.
// Thread: the user-interface thread.
struct LcdLayout {
    static constexpr int kBoundCells = 16;

    int x = 100, y = 100, w = 500, h = 500;
    QColor background{220, 220, 255};
    QColor title{0, 0, 0};
    QColor units{0, 0, 0};
    QColor lcd{0, 0, 0};                 // not the alarm red, so a crossed level stands out
    QString code = QStringLiteral("0");  // the layout code as decimal text
    bool show_titles = true;
    bool show_units = true;
    std::array<int, kBoundCells> index{};  // column of cells 1..16

    // Applies a layout file over these settings: elements are taken by name wherever they stand,
    // the first 16 "lcd" elements bind cells 1..16 in order, the rest are ignored; what the file
    // does not say (or says unreadably) stays.
    void read(const QByteArray& document);
    QByteArray write() const;
    // save: 0, or -1 when the file cannot be written.
    int save(const QString& path) const;
    // A missing or unreadable file changes nothing.
    // A missing file changes nothing. Returns the console line for a file that is there but
    // could not be read whole (not a regular file, a fault in it); it never blocks.
    QString load(const QString& path);
};
