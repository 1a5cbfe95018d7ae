#pragma once

#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QWidget>

#include "core/sdi12_core.h"
#include "link/clock.h"
#include "link/memory_serial_link.h"
#include "station/record_log.h"
#include "station/station.h"
#include "variables/column_list.h"

// A station whose core never runs (its port is in memory, its clock still) in a temporary
// workspace: the display windows read its column list and its published values.
struct DisplayRig {
    QTemporaryDir dir;
    ManualClock clock{1700000000000};
    MemorySerialLink link{clock};
    Station station{link, clock, dir.path() + QStringLiteral("/")};
    ColumnList& columns = station.columns();

    ~DisplayRig() { station.core().shut_down(); }

    QString file(const QString& name) const { return dir.filePath(name); }
    // Stores values as a finished record would and publishes them.
    void publish(const QList<QPair<int, double>>& values) {
        for (const auto& v : values) columns.set_value(v.first, v.second);
        station.record_log().show_values();
    }
};

// Grabs the widget to `name` in the build folder (to be looked at) and counts its colours: a
// window that drew nothing is one flat colour.
inline int grab_colours(QWidget& widget, const QString& name) {
    const QImage image = widget.grab().toImage();
    image.save(name);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
    }
    return colours.size();
}
