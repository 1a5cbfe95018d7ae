#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "core/start_element_handler.h"
#include "devices/idev.h"

class DeviceList;

// Reads device definition files into device slots. Elements are recognised by name wherever
// they stand: main, option, select, log. A load replaces a slot's options and logging entries.
// The object is the start-element handler of one load.
// Thread: the user-interface thread (or whoever owns the slot copy it is given).
class parse_dev_cfg : public StartElementHandler {
  public:
    // A handler that fills `dev` (nothing when null). Use the static loaders below.
    explicit parse_dev_cfg(idev* dev = nullptr);

    void startElement(const QString& qualified_name, const ElementAttributes& attributes) override;

    // Loads the definition named by dev.definition from `devices_folder` (ends with "/"); what
    // came before a fault stays. Returns the console line for a file that is there but could not
    // be read whole (naming the address); empty when it was read or does not exist.
    static QString load(idev& dev, const QString& devices_folder);
    // The same from a text already in memory (the fuzzer and the tests); a fault is not said.
    static void load_from_text(idev& dev, const QByteArray& xml);
    // Loads every slot whose definition name is not empty, in slot order. Returns the console
    // lines of the files that could not be read whole.
    static QStringList load_all(DeviceList& devices, const QString& devices_folder);
    // Loads slot i alone (after an association change); nothing when its definition name is
    // empty. Returns the console line as load() does.
    static QString load_slot(DeviceList& devices, int i, const QString& devices_folder);

  private:
    void read_main(const ElementAttributes& attributes);
    void read_option(const ElementAttributes& attributes);
    void read_select(const ElementAttributes& attributes);
    void read_log(const ElementAttributes& attributes);

    idev* dev_;
};
