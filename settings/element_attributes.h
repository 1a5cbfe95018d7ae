#pragma once

#include <QString>
#include <QXmlStreamAttributes>
#include <utility>

// The attributes of one start element of a settings file, looked up by their name as written
// (case counts); an attribute the element does not have reads as empty text.
// Thread: the thread of the StartElementReader that made it; it lives for one handler call.
class ElementAttributes {
  public:
    explicit ElementAttributes(QXmlStreamAttributes attributes) : attributes_(std::move(attributes)) {}

    QString value(const QString& name) const { return attributes_.value(name).toString(); }

  private:
    QXmlStreamAttributes attributes_;
};
