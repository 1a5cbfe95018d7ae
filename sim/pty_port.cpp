#include "sim/pty_port.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

PtyPort::~PtyPort() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

bool PtyPort::open(std::string* error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        *error = std::string("no pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ::ptsname(master_);
    if (name == nullptr) {
        *error = std::string("no pseudo-terminal name: ") + std::strerror(errno);
        return false;
    }
    slave_name_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave_ < 0) {
        *error = "cannot open " + slave_name_ + ": " + std::strerror(errno);
        return false;
    }
    termios settings{};
    if (::tcgetattr(slave_, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::cfsetispeed(&settings, B1200);
        ::cfsetospeed(&settings, B1200);
        ::tcsetattr(slave_, TCSANOW, &settings);
    }
    return true;
}

bool PtyPort::write_byte(std::uint8_t byte) {
    for (;;) {
        const auto written = ::write(master_, &byte, 1);
        if (written == 1) return true;
        if (written < 0 && errno == EINTR) continue;
        return false;
    }
}
