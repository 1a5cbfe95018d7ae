#include "core_rig.h"

#include "devices/parse_dev_cfg.h"

void CoreRig::define_device(int slot, const QString& file, const QByteArray& xml, int start_column) {
    QFile f(root + QStringLiteral("Devices/") + file);
    if (!f.open(QIODevice::WriteOnly) || f.write(xml) != xml.size()) qFatal("cannot write a definition");
    f.close();
    devices.update(slot, [&](idev& dev) {
        dev.definition = file;
        dev.start_column = std::uint16_t(start_column);
    });
    parse_dev_cfg::load_all(devices, root + QStringLiteral("Devices/"));
}
