#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlDefaultHandler>

#include "devices/idev.h"

class DeviceList;

// Reads device definition files into device slots. Elements are recognised by name wherever
// they stand: main, option, select, log. A load replaces a slot's options and logging entries.
// The object is the SAX content handler of one load; only its start-element callback does work.
// Thread: the user-interface thread (or whoever owns the slot copy it is given).
class parse_dev_cfg : public QXmlDefaultHandler {
  public:
    // A handler that fills `dev` (nothing when null). Use the static loaders below.
    explicit parse_dev_cfg(idev* dev = nullptr);

    bool startElement(const QString& namespace_uri, const QString& local_name, const QString& qualified_name,
                      const QXmlAttributes& attributes) override;

    // Loads the definition named by dev.definition from `devices_folder` (ends with "/").
    // A missing or malformed file is not reported; what came before a fault stays.
    static void load(idev& dev, const QString& devices_folder);
    // The same from a text already in memory (used by the file load and by the fuzzer).
    static void load_from_text(idev& dev, const QByteArray& xml);
    // Loads every slot whose definition name is not empty, in slot order.
    static void load_all(DeviceList& devices, const QString& devices_folder);
    // Loads slot i alone (after an association change); nothing when its definition name is empty.
    static void load_slot(DeviceList& devices, int i, const QString& devices_folder);

  private:
    void read_main(const QXmlAttributes& attributes);
    void read_option(const QXmlAttributes& attributes);
    void read_select(const QXmlAttributes& attributes);
    void read_log(const QXmlAttributes& attributes);

    idev* dev_;
};
