#pragma once

#include <cstdint>
#include <string>

// The simulator's end of a pseudo-terminal: the master, non-blocking, plus the slave kept open
// so that the master never reads EIO while the recorder has the port closed. The slave starts
// raw (no echo, no line editing) so the tty itself adds nothing to the traffic.
// Thread: the simulator's main thread.
class PtyPort {
  public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Returns false and sets *error when no pty could be made.
    bool open(std::string* error);
    int master_fd() const { return master_; }
    // The slave's device name, for example "/dev/pts/5".
    const std::string& slave_name() const { return slave_name_; }

    // Writes one byte without blocking; false when the pty's buffer is full or broken.
    bool write_byte(std::uint8_t byte);

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slave_name_;
};
