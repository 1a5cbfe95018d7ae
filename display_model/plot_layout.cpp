#include "display_model/plot_layout.h"

#include "display_model/layout_file_io.h"
#include "settings/start_element_reader.h"

namespace {

class PlotLayoutHandler : public StartElementHandler {
  public:
    explicit PlotLayoutHandler(PlotLayout& layout) : layout_(layout) {}

    void startElement(const QString& name, const ElementAttributes& a) override {
        using namespace layout_file;
        if (name == QLatin1String("layout")) {
            read_geometry(a, layout_.x, layout_.y, layout_.w, layout_.h);
        } else if (name == QLatin1String("colours")) {
            read_colour(a, QStringLiteral("bg"), layout_.background);
            read_colour(a, QStringLiteral("axis"), layout_.axis);
            read_colour(a, QStringLiteral("series"), layout_.series);
        } else if (name == QLatin1String("config")) {
            read_int(a, QStringLiteral("num_points"), layout_.num_points);
            read_int(a, QStringLiteral("index"), layout_.index);
        }
    }

  private:
    PlotLayout& layout_;
};

}  // namespace

void PlotLayout::read(const QByteArray& document) {
    PlotLayoutHandler handler(*this);
    StartElementReader(handler).read(document);
}

QByteArray PlotLayout::write() const {
    using layout_file::colour_name;
    QDomElement root;
    QDomDocument doc = layout_file::new_document(root);
    layout_file::append_geometry(doc, root, x, y, w, h);
    QDomElement colours = doc.createElement(QStringLiteral("colours"));
    colours.setAttribute(QStringLiteral("bg"), colour_name(background));
    colours.setAttribute(QStringLiteral("axis"), colour_name(axis));
    colours.setAttribute(QStringLiteral("series"), colour_name(series));
    root.appendChild(colours);
    QDomElement config = doc.createElement(QStringLiteral("config"));
    config.setAttribute(QStringLiteral("num_points"), num_points);
    config.setAttribute(QStringLiteral("index"), index);
    root.appendChild(config);
    return layout_file::text(doc);
}

int PlotLayout::save(const QString& path) const {
    return layout_file::save(path, write());
}

QString PlotLayout::load(const QString& path) {
    if (path.isEmpty()) return QString();
    PlotLayoutHandler handler(*this);
    return read_settings_file(path, handler, layout_file::kMaxLayoutBytes)
        .said(QStringLiteral("the default layout (place, size, colours, column and points)"));
}
