#pragma once

#include <string>

// The link "<workspace>/Ports/COM<n>" through which the recorder finds the simulator's pty.
// Made atomically (an old link is replaced in one step), removed only while it still points at
// this simulator's pty, so a second simulator that took the name over keeps it.
// Thread: the simulator's main thread.
class PortSymlink {
  public:
    PortSymlink() = default;
    ~PortSymlink() { remove(); }
    PortSymlink(const PortSymlink&) = delete;
    PortSymlink& operator=(const PortSymlink&) = delete;

    // Creates Ports/ when missing and links COM<port> to target. False with *error when the
    // folder cannot be made or the name is taken by something that is not a link.
    bool create(const std::string& workspace, int port, const std::string& target, std::string* error);
    void remove();
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::string target_;
};
