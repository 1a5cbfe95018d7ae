#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "devices/idev.h"
#include "settings/start_element_handler.h"

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
    // came before a fault stays. Returns what is to be said about the file, naming the address:
    // that it could not be read whole, and each element or attribute that is not part of a
    // definition (one console line each, joined by "\r\n"); empty when all is well or the file
    // does not exist.
    static QString load(idev& dev, const QString& devices_folder);
    // The lines saying what in `xml` is not part of a definition, each with `name`, the line and
    // what was expected there: unknown elements (the root element may have any name), unknown
    // attributes, a select before any option. At most kMaxProblemsSaid lines and one saying how
    // many more there are. Stops quietly at an XML fault, which the reading itself reports.
    static QStringList check(const QByteArray& xml, const QString& name);
    static constexpr int kMaxProblemsSaid = 8;
    // The same from a text already in memory (the fuzzer and the tests); a fault is not said.
    static void load_from_text(idev& dev, const QByteArray& xml);
    // Loads every slot whose definition name is not empty, in slot order. Returns the console
    // lines about the files, as load() does, one line each.
    static QStringList load_all(DeviceList& devices, const QString& devices_folder);
    // Loads slot i alone (after an association change); nothing when its definition name is
    // empty. Returns the console lines as load() does.
    static QString load_slot(DeviceList& devices, int i, const QString& devices_folder);

  private:
    void read_main(const ElementAttributes& attributes);
    void read_option(const ElementAttributes& attributes);
    void read_select(const ElementAttributes& attributes);
    void read_log(const ElementAttributes& attributes);

    idev* dev_;
};
