// libFuzzer target: any bytes as an LCD panel layout file and as a plot layout file. The readers
// must not crash, a layout read must survive a write and a second read into fresh defaults, and the
// LCD grid of any layout code stays within the window's cells.
#include <cstdint>
#include <cstdlib>

#include "display_model/lcd_grid.h"
#include "display_model/lcd_layout.h"
#include "display_model/plot_layout.h"

namespace {

// Texts with characters an attribute cannot carry as they are (control characters, line ends and
// tabs, which XML turns into blanks) cannot compare equal after a round trip.
bool writable(const QString& t) {
    for (int i = 0; i < t.size(); ++i) {
        const ushort u = t.at(i).unicode();
        if (u < 0x20 || u >= 0xFFFE || t.at(i).isSurrogate()) return false;
    }
    return true;
}

bool same_colour(const QColor& a, const QColor& b) {
    return a.rgb() == b.rgb();
}

void check_lcd(const QByteArray& input) {
    LcdLayout first;
    first.read(input);
    LcdLayout second;
    second.read(first.write());
    if (first.x != second.x || first.y != second.y || first.w != second.w || first.h != second.h)
        std::abort();
    if (!same_colour(first.background, second.background) || !same_colour(first.title, second.title) ||
        !same_colour(first.units, second.units) || !same_colour(first.lcd, second.lcd))
        std::abort();
    if (writable(first.code) && first.code != second.code) std::abort();
    if (first.show_titles != second.show_titles || first.show_units != second.show_units) std::abort();
    if (first.index != second.index) std::abort();

    const LcdGrid grid = LcdGrid::from_code(first.code.toInt());
    if (grid.columns < 1 || grid.rows < 1 || grid.cells() > LcdGrid::kMaxCells) std::abort();
}

void check_plot(const QByteArray& input) {
    PlotLayout first;
    first.read(input);
    PlotLayout second;
    second.read(first.write());
    if (first.x != second.x || first.y != second.y || first.w != second.w || first.h != second.h)
        std::abort();
    if (!same_colour(first.background, second.background) || !same_colour(first.axis, second.axis) ||
        !same_colour(first.series, second.series))
        std::abort();
    if (first.num_points != second.num_points || first.index != second.index) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    check_lcd(input);
    check_plot(input);
    return 0;
}
