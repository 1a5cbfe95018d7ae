#include "fileio/kgenparse.h"

#include <QDomDocument>
#include <QSaveFile>

#include "settings/start_element_handler.h"
#include "settings/start_element_reader.h"

namespace {

// Settings files are small; a larger one is not ours.
constexpr qint64 kMaxFileBytes = 1024 * 1024;

// The content handler of a generic settings file: acts on `config` wherever it stands. The
// `type` attribute is read but every value is text.
// Thread: the reader's.
class GenericSettingsReader final : public StartElementHandler {
  public:
    explicit GenericSettingsReader(Kgenparse& store) : store_(store) {}

    void startElement(const QString& name, const ElementAttributes& attributes) override {
        if (name != QLatin1String("config")) return;
        store_.set(attributes.value(QStringLiteral("name")), attributes.value(QStringLiteral("value")));
    }

  private:
    Kgenparse& store_;
};

}  // namespace

QString Kgenparse::load() {
    GenericSettingsReader handler(*this);
    return read_settings_file(path_, handler, kMaxFileBytes)
        .said(QStringLiteral("the default import settings"));
}

void Kgenparse::load_text(const QByteArray& xml) {
    GenericSettingsReader handler(*this);
    StartElementReader(handler).read(xml);
}

QString Kgenparse::value(const QString& name, const QString& fallback) const {
    const int i = names_.indexOf(name);
    return i < 0 ? fallback : values_.at(i);
}

void Kgenparse::set(const QString& name, const QString& value) {
    const int i = names_.indexOf(name);
    if (i < 0) {
        names_.append(name);
        values_.append(value);
    } else {
        values_[i] = value;
    }
}

QByteArray Kgenparse::document() const {
    QDomDocument doc(QStringLiteral("Config"));
    doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"),
                                                    QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    QDomElement main = doc.createElement(QStringLiteral("main"));
    doc.appendChild(main);
    for (int i = 0; i < names_.size(); ++i) {
        QDomElement config = doc.createElement(QStringLiteral("config"));
        config.setAttribute(QStringLiteral("name"), names_.at(i));
        config.setAttribute(QStringLiteral("type"), QStringLiteral("string"));
        config.setAttribute(QStringLiteral("value"), values_.at(i));
        main.appendChild(config);
    }
    return doc.toByteArray(1);
}

int Kgenparse::save() const {
    // Written beside the old file and renamed over it: a crash never leaves half a file.
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) return -1;
    file.write(document());
    return file.commit() ? 0 : -1;
}
