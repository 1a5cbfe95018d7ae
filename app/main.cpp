// Veld Recorder: the entry point. It builds the recording station the windows sit on, runs the main
// window's event loop and shuts the core down after it.

#include <QApplication>
#include <QHash>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/mainwindow.h"
#include "app/product_info.h"
#include "core/sdi12_core.h"
#include "link/clock.h"
#include "link/serial_link.h"
#include "settings/workspace.h"
#include "station/station.h"

namespace {

constexpr const char* kHelp =
    "Usage: veld-recorder [--help | --version] [Qt options]\n"
    "\n"
    "Veld Recorder, the desktop data recorder: scans the SDI-12 or RS485 bus on one serial port,\n"
    "ties each sensor to a device definition and logs a record at every logging interval.\n"
    "\n"
    "Its workspace is $VELD_WORKSPACE when set, else $USERPROFILE/Documents/Veld/ when\n"
    "USERPROFILE is set, otherwise $HOME/Documents/Veld/; it is created when missing. Its files\n"
    "are described in veld-recorder(1) and in Help > User Guide.\n"
    "Without a display, veld-logger does the same work.\n"
    "\n"
    "  --help      print this text and exit\n"
    "  --version   print the version and exit\n";

// --help and --version are answered before the application object exists, which needs a display.
bool answered_on_the_command_line(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("veld-recorder %s\n", product_info::version().toUtf8().constData());
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (answered_on_the_command_line(argc, argv)) return 0;
    // A fixed hash seed keeps the attribute order of written settings files the same from run to
    // run, so that they can be compared.
    qSetGlobalQHashSeed(0);
    QApplication app(argc, argv);

    SystemClock clock;
    const std::unique_ptr<SerialLink> link = make_platform_serial_link();
    Station station(*link, clock, workspace_root());

    int result = 0;
    {
        MainWindow window(station);
        window.show();
        result = app.exec();
    }
    station.core().shut_down();
    return result;
}
