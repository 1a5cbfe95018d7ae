// Veld Recorder: the entry point. It builds the recording station the windows sit on, runs the main
// window's event loop and shuts the core down after it.

#include <QApplication>
#include <QHash>
#include <memory>

#include "app/mainwindow.h"
#include "core/clock.h"
#include "core/sdi12_core.h"
#include "core/serial_link.h"
#include "core/station.h"
#include "core/workspace.h"

int main(int argc, char* argv[]) {
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
