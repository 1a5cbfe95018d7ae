#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

// What a plot window keeps in its layout file: geometry, its three colours, the number of points
// shown (0 or less: the current logging run) and the column plotted.
// Thread: the user-interface thread.
struct PlotLayout {
    static constexpr int kCurrentLog = -10;  // as the "Current Log" menu entry stores it

    int x = 100, y = 100, w = 300, h = 300;
    QColor background{255, 222, 222};
    QColor axis{0, 255, 0};
    QColor series{0, 0, 255};
    int num_points = 1000;
    int index = 3;  // the first column after Record, Date and Time

    // Applies a layout file over these settings (elements by name wherever they stand); what the
    // file does not say, or says unreadably, stays.
    void read(const QByteArray& document);
    QByteArray write() const;
    int save(const QString& path) const;  // 0, or -1 when the file cannot be written
    // A missing file changes nothing. Returns the console line for a file that is there but
    // could not be read whole (not a regular file, a fault in it); it never blocks.
    QString load(const QString& path);
};
