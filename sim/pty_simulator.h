#pragma once

#include <csignal>
#include <deque>

#include "link/clock.h"
#include "sim/pty_port.h"
#include "sim/sim_peer.h"

// The veld-sim main loop: reads what the recorder writes to the pty, hands it to the bus (or the
// modem) and writes its echo and answers to the pty when each byte is due. It waits on the pty with
// a timeout up to the next due byte, so it costs nothing while idle and never sleeps blindly.
// Thread: the main thread; stops on SIGINT, SIGTERM or SIGHUP, toggles the faults on SIGUSR1.
class PtySimulator {
  public:
    PtySimulator(SimPeer& peer, PtyPort& port, Clock& clock, bool log);

    // Blocks SIGINT, SIGTERM, SIGHUP and SIGUSR1 and installs their handlers; they are delivered only
    // while the loop waits, so none is lost between a check and the wait.
    static void install_signal_handlers();
    // Runs until a stop signal. Returns the exit code.
    int run();

  private:
    // Acts on the signals that came; false once a stop signal came.
    bool handle_signals();
    void read_input();
    void write_due_output();

    SimPeer& peer_;
    PtyPort& port_;
    Clock& clock_;
    bool log_;
    std::deque<ScheduledByte> output_;
};
