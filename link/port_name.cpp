#include <cstdio>
#include <string>

#include "link/serial_link.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

std::string windows_port_name(int port) {
    char name[32];
    // Ports 10 and above exist only in the device namespace (\\.\COM10); the short form with a
    // colon is the classic DOS device name that ports 1 to 9 still have.
    if (port >= 10)
        std::snprintf(name, sizeof name, "\\\\.\\COM%d", port);
    else
        std::snprintf(name, sizeof name, "COM%d:", port);
    return name;
}

std::string port_device_name(int port, const std::string& workspace_root) {
#ifdef _WIN32
    (void)workspace_root;
    return windows_port_name(port);
#else
    // The simulator publishes its pty as <workspace>Ports/COM<n>; a real port is /dev/ttyS<n-1>.
    const std::string workspace_port = workspace_root + "Ports/COM" + std::to_string(port);
    struct stat info {};
    if (::stat(workspace_port.c_str(), &info) == 0) return workspace_port;
    return "/dev/ttyS" + std::to_string(port - 1);
#endif
}
