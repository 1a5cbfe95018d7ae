#include "sim/pty_simulator.h"

#include <poll.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

volatile std::sig_atomic_t g_stop = 0;
volatile std::sig_atomic_t g_toggle_faults = 0;
sigset_t g_wait_mask;  // the mask while waiting: our signals open
sigset_t g_handled;    // our signals

void on_signal(int number) {
    if (number == SIGUSR1)
        g_toggle_faults = 1;
    else
        g_stop = 1;
}

// Takes the signals that came while they were blocked, so that a signal sent before bytes
// were written is acted on before those bytes are read.
void take_pending_signals() {
    const timespec no_wait{0, 0};
    int number = 0;
    while ((number = ::sigtimedwait(&g_handled, nullptr, &no_wait)) > 0) on_signal(number);
}

}  // namespace

PtySimulator::PtySimulator(SimPeer& peer, PtyPort& port, Clock& clock, bool log)
    : peer_(peer), port_(port), clock_(clock), log_(log) {}

void PtySimulator::install_signal_handlers() {
    sigemptyset(&g_handled);
    sigaddset(&g_handled, SIGINT);
    sigaddset(&g_handled, SIGTERM);
    sigaddset(&g_handled, SIGUSR1);
    sigaddset(&g_handled, SIGHUP);
    sigprocmask(SIG_BLOCK, &g_handled, &g_wait_mask);
    sigdelset(&g_wait_mask, SIGINT);
    sigdelset(&g_wait_mask, SIGTERM);
    sigdelset(&g_wait_mask, SIGUSR1);
    sigdelset(&g_wait_mask, SIGHUP);
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGUSR1, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int PtySimulator::run() {
    while (handle_signals()) {
        write_due_output();
        timespec timeout{};
        const timespec* wait = nullptr;
        if (!output_.empty()) {
            const auto ms = std::max<std::int64_t>(0, output_.front().at_ms - clock_.tick_ms());
            timeout.tv_sec = static_cast<time_t>(ms / 1000);
            timeout.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
            wait = &timeout;
        }
        pollfd watched{port_.master_fd(), POLLIN, 0};
        const int ready = ::ppoll(&watched, 1, wait, &g_wait_mask);
        if (ready < 0 && errno != EINTR) {
            std::fprintf(stderr, "veld-sim: waiting on the pty failed: %s\n", std::strerror(errno));
            return 1;
        }
        // Signals first: one sent before the bytes that woke us applies to them.
        if (!handle_signals()) break;
        if (ready > 0 && (watched.revents & (POLLIN | POLLHUP | POLLERR))) {
            if (!(watched.revents & POLLIN)) {
                // The slave is held open, so this should not happen; do not spin on it.
                std::fprintf(stderr, "veld-sim: the pty reports a hang-up\n");
                return 1;
            }
            read_input();
        }
    }
    return 0;
}

bool PtySimulator::handle_signals() {
    take_pending_signals();
    if (g_toggle_faults) {
        g_toggle_faults = 0;
        peer_.set_faults_enabled(!peer_.faults_enabled());
        std::fprintf(stderr, "veld-sim: faults %s\n", peer_.faults_enabled() ? "on" : "off");
    }
    return !g_stop;
}

void PtySimulator::read_input() {
    unsigned char buffer[256];
    for (;;) {
        const auto count = ::read(port_.master_fd(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        const auto now = clock_.tick_ms();
        for (ssize_t i = 0; i < count; ++i) peer_.receive_byte(buffer[i], now);
    }
    for (const ScheduledByte& out : peer_.take_output()) output_.push_back(out);
}

void PtySimulator::write_due_output() {
    const auto now = clock_.tick_ms();
    while (!output_.empty() && output_.front().at_ms <= now) {
        // A full pty buffer means nobody reads: the byte is lost, as on a real line.
        if (!port_.write_byte(output_.front().byte) && log_)
            std::fprintf(stderr, "veld-sim: output byte lost (nobody reads the port)\n");
        output_.pop_front();
    }
}
