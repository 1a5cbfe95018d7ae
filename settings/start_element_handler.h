#pragma once

#include <QString>

#include "settings/element_attributes.h"

// What a settings file reader does with the file: it is told each start element, with its
// qualified name and attributes, in document order. Nothing else of the document reaches it.
// Thread: the thread of the StartElementReader that runs it.
class StartElementHandler {
  public:
    virtual ~StartElementHandler() = default;
    virtual void startElement(const QString& qualified_name, const ElementAttributes& attributes) = 0;
};
