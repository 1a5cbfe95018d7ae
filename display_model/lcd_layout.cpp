#include "display_model/lcd_layout.h"

#include "display_model/layout_file_io.h"
#include "settings/start_element_reader.h"

namespace {

class LcdLayoutHandler : public StartElementHandler {
  public:
    explicit LcdLayoutHandler(LcdLayout& layout) : layout_(layout) {}

    void startElement(const QString& name, const ElementAttributes& a) override {
        using namespace layout_file;
        if (name == QLatin1String("layout")) {
            read_geometry(a, layout_.x, layout_.y, layout_.w, layout_.h);
        } else if (name == QLatin1String("colours")) {
            read_colour(a, QStringLiteral("bg"), layout_.background);
            read_colour(a, QStringLiteral("ti"), layout_.title);
            read_colour(a, QStringLiteral("un"), layout_.units);
            read_colour(a, QStringLiteral("lcd"), layout_.lcd);
        } else if (name == QLatin1String("config")) {
            layout_.code = a.value(QStringLiteral("number"));
            read_switch(a, QStringLiteral("show_titles"), layout_.show_titles);
            read_switch(a, QStringLiteral("show_units"), layout_.show_units);
        } else if (name == QLatin1String("lcd")) {
            if (lcd_count_ < LcdLayout::kBoundCells)
                read_int(a, QStringLiteral("index"), layout_.index[lcd_count_++]);
        }
    }

  private:
    static void read_switch(const ElementAttributes& a, const QString& key, bool& out) {
        int value = out ? 1 : 0;
        layout_file::read_int(a, key, value);
        out = value != 0;
    }

    LcdLayout& layout_;
    int lcd_count_ = 0;
};

}  // namespace

void LcdLayout::read(const QByteArray& document) {
    LcdLayoutHandler handler(*this);
    StartElementReader(handler).read(document);
}

QByteArray LcdLayout::write() const {
    using layout_file::colour_name;
    QDomElement root;
    QDomDocument doc = layout_file::new_document(root);
    layout_file::append_geometry(doc, root, x, y, w, h);
    QDomElement colours = doc.createElement(QStringLiteral("colours"));
    colours.setAttribute(QStringLiteral("bg"), colour_name(background));
    colours.setAttribute(QStringLiteral("ti"), colour_name(title));
    colours.setAttribute(QStringLiteral("un"), colour_name(units));
    colours.setAttribute(QStringLiteral("lcd"), colour_name(lcd));
    root.appendChild(colours);
    QDomElement config = doc.createElement(QStringLiteral("config"));
    config.setAttribute(QStringLiteral("number"), code);
    config.setAttribute(QStringLiteral("show_titles"), show_titles ? 1 : 0);
    config.setAttribute(QStringLiteral("show_units"), show_units ? 1 : 0);
    root.appendChild(config);
    for (int column : index) {
        QDomElement lcd = doc.createElement(QStringLiteral("lcd"));
        lcd.setAttribute(QStringLiteral("index"), column);
        root.appendChild(lcd);
    }
    return layout_file::text(doc);
}

int LcdLayout::save(const QString& path) const {
    return layout_file::save(path, write());
}

QString LcdLayout::load(const QString& path) {
    if (path.isEmpty()) return QString();
    LcdLayoutHandler handler(*this);
    return read_settings_file(path, handler, layout_file::kMaxLayoutBytes)
        .said(QStringLiteral("the default layout (place, size, colours and cells)"));
}
