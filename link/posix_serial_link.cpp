#include "link/posix_serial_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

bool speed_for(int baud, speed_t& speed) {
    switch (baud) {
        case 300:
            speed = B300;
            return true;
        case 600:
            speed = B600;
            return true;
        case 1200:
            speed = B1200;
            return true;
        case 2400:
            speed = B2400;
            return true;
        case 4800:
            speed = B4800;
            return true;
        case 9600:
            speed = B9600;
            return true;
        case 19200:
            speed = B19200;
            return true;
        case 38400:
            speed = B38400;
            return true;
        case 57600:
            speed = B57600;
            return true;
        case 115200:
            speed = B115200;
            return true;
        default:
            return false;
    }
}

void make_nonblocking_cloexec(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
}

// A pseudo-terminal cannot carry 7 data bits or parity: it keeps 8N1 whatever it is told.
bool is_pseudo_terminal(int fd) {
    char name[64];
    if (::ttyname_r(fd, name, sizeof name) != 0) return false;
    return std::strncmp(name, "/dev/pts/", 9) == 0 || std::strncmp(name, "/dev/ttys", 9) == 0;
}

// Whether the port holds what was asked for, apart from what a pty cannot hold.
bool took_all_but_char_format(const termios& wanted, const termios& got) {
    const tcflag_t char_format = CSIZE | PARENB | PARODD;
    return wanted.c_iflag == got.c_iflag && wanted.c_oflag == got.c_oflag && wanted.c_lflag == got.c_lflag &&
           (wanted.c_cflag & ~char_format) == (got.c_cflag & ~char_format) &&
           cfgetispeed(&wanted) == cfgetispeed(&got) && cfgetospeed(&wanted) == cfgetospeed(&got) &&
           wanted.c_cc[VMIN] == got.c_cc[VMIN] && wanted.c_cc[VTIME] == got.c_cc[VTIME];
}

// Who holds the lock on the device open as `fd`: /proc/locks lists every lock with its owner's
// process id and the locked file as "major:minor:inode" (major and minor in hex), for example
// "1: FLOCK  ADVISORY  WRITE 4242 00:18:6 0 EOF". The program name is that process's comm. A
// holder in another pid namespace shows as pid 0, and none is found on systems without /proc.
void find_lock_holder(int fd, OpenResult& result) {
    struct stat device {};
    if (::fstat(fd, &device) != 0) return;
    std::FILE* locks = std::fopen("/proc/locks", "re");
    if (!locks) return;
    char line[256];
    while (std::fgets(line, sizeof line, locks)) {
        char kind[16];
        int pid = 0;
        unsigned dev_major = 0, dev_minor = 0;
        unsigned long inode = 0;
        // Lines of waiting requests ("1: -> FLOCK ...") read "->" as the kind and do not match.
        if (std::sscanf(line, "%*d: %15s %*s %*s %d %x:%x:%lu", kind, &pid, &dev_major, &dev_minor, &inode) !=
            5)
            continue;
        if (std::strcmp(kind, "FLOCK") != 0 || pid <= 0 || inode != device.st_ino ||
            dev_major != major(device.st_dev) || dev_minor != minor(device.st_dev))
            continue;
        result.holder_pid = pid;
        break;
    }
    std::fclose(locks);
    if (result.holder_pid <= 0) return;
    const std::string comm_path = "/proc/" + std::to_string(result.holder_pid) + "/comm";
    if (std::FILE* comm = std::fopen(comm_path.c_str(), "re")) {
        char name[64] = {};
        if (std::fgets(name, sizeof name, comm)) {
            result.holder_program = name;
            if (!result.holder_program.empty() && result.holder_program.back() == '\n')
                result.holder_program.pop_back();
        }
        std::fclose(comm);
    }
}

std::int64_t monotonic_ms() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

PosixSerialLink::PosixSerialLink() {
    int ends[2];
    if (::pipe(ends) == 0) {
        make_nonblocking_cloexec(ends[0]);
        make_nonblocking_cloexec(ends[1]);
        wake_read_ = ends[0];
        wake_write_ = ends[1];
    }
}

PosixSerialLink::~PosixSerialLink() {
    close();
    if (wake_read_ >= 0) ::close(wake_read_);
    if (wake_write_ >= 0) ::close(wake_write_);
}

OpenResult PosixSerialLink::open(const std::string& name, const LineSettings& settings) {
    close();
    OpenResult result;
    const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.error_code = errno;
        return result;
    }
    // The port is not shared: a second recorder on the same port would steal half the answers.
    // The lock is the kernel's, so it goes with the process however that ends; who holds it is
    // told from /proc/locks.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        find_lock_holder(fd, result);
        ::close(fd);
        result.error_code = EBUSY;
        return result;
    }
    fd_ = fd;
    fault_.clear();
    result.opened = true;
    result.settings_ok = apply_settings(settings);
    raise_modem_lines();
    return result;
}

bool PosixSerialLink::apply_settings(const LineSettings& settings) {
    speed_t speed;
    termios tio{};
    if (!speed_for(settings.baud, speed) || ::tcgetattr(fd_, &tio) != 0) return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CRTSCTS
    tio.c_cflag &= ~CRTSCTS;
#endif
    tio.c_cflag |= (settings.data_bits == 7 ? CS7 : CS8) | CREAD | CLOCAL;
    if (settings.even_parity) tio.c_cflag |= PARENB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNPAR | PARMRK | BRKINT);
    if (settings.parity_check) tio.c_iflag |= INPCK;
    // A single-wire SDI-12 interface hears its own wake-up break; without IGNBRK it would arrive
    // as a NUL byte at the start of the answer.
    tio.c_iflag |= IGNBRK;
    // Reads return at once with whatever is waiting, possibly nothing.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) return false;
    if (::tcsetattr(fd_, TCSANOW, &tio) == 0) return true;
    // glibc reads the settings back and calls it a failure when any did not take. A pty keeps
    // 8N1 whatever it is told; the link still works there, so that counts as success.
    termios got{};
    return is_pseudo_terminal(fd_) && ::tcgetattr(fd_, &got) == 0 && took_all_but_char_format(tio, got);
}

void PosixSerialLink::raise_modem_lines() {
    // Interfaces powered from DTR/RTS need both held on. A pty has no modem lines ("Inappropriate
    // ioctl"), which is no fault.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd_, TIOCMBIS, &lines);
}

void PosixSerialLink::close() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
}

bool PosixSerialLink::write_byte(std::uint8_t byte) {
    if (fd_ < 0) return false;
    for (;;) {
        const ssize_t n = ::write(fd_, &byte, 1);
        if (n == 1) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) note_failure(errno);
        return false;
    }
}

void PosixSerialLink::note_failure(int error) {
    // A full output buffer or no input yet is normal; anything else means the device is gone.
    if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR || !fault_.empty()) return;
    fault_ = std::strerror(error);
}

bool PosixSerialLink::read_byte(std::uint8_t& byte) {
    if (fd_ < 0) return false;
    for (;;) {
        const ssize_t n = ::read(fd_, &byte, 1);
        if (n == 1) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) note_failure(errno);
        return false;
    }
}

void PosixSerialLink::set_break(bool on) {
    // TIOCSBRK/TIOCCBRK hold the break for exactly as long as the caller waits; tcsendbreak
    // would give 250 ms or more. On a pty both succeed and nothing crosses.
    if (fd_ >= 0) ::ioctl(fd_, on ? TIOCSBRK : TIOCCBRK);
}

bool PosixSerialLink::wait_readable(int timeout_ms) {
    const std::int64_t deadline = monotonic_ms() + (timeout_ms > 0 ? timeout_ms : 0);
    pollfd fds[2] = {{wake_read_, POLLIN, 0}, {fd_, POLLIN, 0}};
    const nfds_t count = fd_ >= 0 ? 2 : 1;
    if (::poll(fds, count, timeout_ms > 0 ? timeout_ms : 0) <= 0) return false;
    const bool woken = (fds[0].revents & POLLIN) != 0;
    if (woken) drain_wake_pipe();
    if (count < 2) return false;
    const short port_events = fds[1].revents;
    if ((port_events & (POLLHUP | POLLERR | POLLNVAL)) == 0) return (port_events & POLLIN) != 0;
    // The other side hung up (a simulator that ended, a pulled adapter): the port now polls ready
    // for ever without data. Say so, and wait out the time on the wake pipe alone so the caller's
    // loop does not spin.
    if (fault_.empty()) fault_ = (port_events & POLLNVAL) ? "the port was closed" : "the device hung up";
    const std::int64_t left = deadline - monotonic_ms();
    if (!woken && left > 0 && ::poll(fds, 1, int(left)) > 0) drain_wake_pipe();
    return false;
}

void PosixSerialLink::wake() {
    const char token = 1;
    if (::write(wake_write_, &token, 1) < 0) {
        // A full pipe already holds a wake that has not been taken: nothing is lost.
    }
}

void PosixSerialLink::drain_wake_pipe() {
    char buffer[64];
    while (::read(wake_read_, buffer, sizeof buffer) > 0) {
    }
}

std::unique_ptr<SerialLink> make_platform_serial_link() {
    return std::make_unique<PosixSerialLink>();
}
