#pragma once

#include <QStringList>
#include <string>

#include "sim/sim_modem.h"

// The command line of veld-sim.
struct SimOptions {
    std::string workspace;  // where Ports/COM<port> is made
    int port = 2;
    std::string config_path;  // empty: the built-in demo sensors
    bool rs485 = false;
    bool log = false;
    std::string ready_file;
    std::string faults;      // --fault: fault kinds for all sensors; empty: as configured
    int late_ms = -1;        // --late-ms; -1: as configured
    char other_address = 0;  // --other-address; 0: as configured
    bool modem = false;      // --modem: a GSM modem with a remote logger instead of the bus
    int first_record = 1;    // --records FIRST-LAST: what the remote logger holds
    int last_record = 12;
    int connect_ms = 2000;          // --connect-ms: from dialling to "CONNECT"
    SimModem::Faults modem_faults;  // --modem-fault
};

// Reads the command line (arguments[0] is the program). On Error *message says what is wrong.
// Thread: the main thread (needs the QCoreApplication for the program name).
class SimOptionsParser {
  public:
    enum class Outcome { Run, Help, Error };

    Outcome parse(const QStringList& arguments, SimOptions* options, std::string* message);
    // The whole --help text: options, commands, the configuration format and the faults.
    std::string help_text();
};

// The recorder's workspace root for this environment: the first variable whose entry mentions
// USERPROFILE gives "<value>/Documents/Veld/" (backslashes as slashes), else HOME gives
// "$HOME/Documents/Veld/", else "./". The same rule as the recorder's workspace_root().
std::string default_workspace_root();
