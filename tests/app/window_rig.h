#pragma once

#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <memory>

#include "app/mainwindow.h"
#include "core/sdi12_core.h"
#include "devices/device_list.h"
#include "link/clock.h"
#include "link/memory_serial_link.h"
#include "settings/workspace.h"
#include "station/station.h"
#include "variables/column_list.h"

// A main window over a real acquisition core whose port is in memory and whose clock only moves
// when told. Construct it once USERPROFILE points at the workspace the test wants.
// The status bar's label that shows text (the status line).
inline QLabel* status_label(MainWindow& window) {
    const auto labels = window.statusBar()->findChildren<QLabel*>();
    for (QLabel* label : labels) {
        if (!label->text().isEmpty()) return label;
    }
    return nullptr;
}

struct WindowRig {
    ManualClock clock{1700000000000};
    MemorySerialLink link{clock};
    Station station{link, clock, workspace_root()};
    sdi12_core& core = station.core();
    ColumnList& columns = station.columns();
    DeviceList& devices = station.devices();
    std::unique_ptr<MainWindow> window;

    WindowRig() {
        window = std::make_unique<MainWindow>(station);
        window->show();
    }
    ~WindowRig() {
        window.reset();
        core.shut_down();
    }

    // True once the deferred start-up has built the interface.
    bool started() const { return window->findChild<QTabWidget*>(QStringLiteral("tabWidget")) != nullptr; }

    template <class T>
    T* find(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
};
