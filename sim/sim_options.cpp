#include "sim/sim_options.h"

#include <QCommandLineParser>

#include "settings/workspace.h"
#include "sim/fault_config.h"
#include "sim/sim_command.h"
#include "sim/sim_config_reader.h"

namespace {

const char kDescription[] =
    "Simulates SDI-12 sensors behind a single-wire bus interface on a pseudo-terminal, so that "
    "Veld Recorder can scan, log and set options without hardware; or, with --modem, a GSM modem "
    "with a remote logger behind it, for the recorder's dial-out download.";

const char kPortHelp[] = R"(
The port
  veld-sim opens a pseudo-terminal, keeps its slave side open and links
  <workspace>/Ports/COM<N> to it (Ports/ is made when missing, an old link is replaced).
  The recorder, set to COM port N, opens that link. Once the link exists veld-sim prints
  one line on stdout, "veld-sim: COM<N> -> /dev/pts/<k>", and writes the same line to the
  --ready-file. It runs until SIGINT, SIGTERM or SIGHUP, then removes its link.
  SIGUSR1 switches all faults off, and on again.

The line
  Every byte the recorder sends comes back as echo, as a single-wire SDI-12 interface
  hears its own transmission; the answer follows on the same line, so the recorder reads
  "0I!013VELDINSTTH100 100SN0001" CR LF. Echo and answers are paced at 1200 baud, one
  character every 8.33 ms. Received bytes are taken as 7-bit. A pty carries no break, so
  every SDI-12 command counts as woken. In RS485 mode (--rs485, or "bus = rs485") a
  command counts only when "%" comes before its address; the "%" is echoed too.

Commands (a is the sensor's address; every answer ends in CR LF)
  a!                    a
  aI!                   a + identification
  aM!, aM1! .. aM9!     atttn; when ttt > 0 the service request a CR LF follows
                        ttt seconds after the answer
  aC!, aC1! .. aC9!     atttnn (concurrent: no service request)
  aD0! .. aD9!          a + the values of the last measurement, sign first
                        ("0+21.50+45.2"); D0 holds as many as fit in 35 characters
                        (75 after aC), the rest follow in D1, D2, ...; a line past the
                        last, or before any measurement, is a alone
  aAb!                  b; the sensor answers at b from now on (not saved). Refused
                        without answer when another sensor has b.
  aXR<NAME>!            a + the option's value
  aXW<NAME>=<value>!    stores the value, answers a + value
  Anything else, or a command for an address without sensor: no answer.
  A measurement is never aborted: its service request comes even when other commands
  are sent meanwhile. The line has one transmitter, so output never overlaps: the echo
  of a command sent while a late answer or a service request is pending comes after it.

)";

const char kModemHelp[] = R"(
The modem (--modem)
  Instead of the bus, a GSM modem with a remote logger behind it sits on the pty, at
  9600 baud 8N1. Modem commands: ATZ, ATDT <number> ("CONNECT 9600" after --connect-ms),
  ATH (also without line end). Once connected the logger answers HELLO with "HI THERE",
  STARTREC? and LASTREC? with the first and last record it holds (--records), takes
  CLOCK_UTCS=<seconds>, and answers "DOWNLD r n c" with the records r+1 .. r+n, one line
  each: "<n>,yyyy-mm-dd hh:mm:ss,,<v3>,...,<vc>" (date and time in one field, UTC; the
  last record was taken when veld-sim started, the others 10 minutes apart; column k of
  record n holds n + (k - 3) / 4). "+++" returns to command mode.
  --modem-fault takes a comma-separated list: no-connect (the number never answers),
  garbage (a "RING" and a garbled line before every record), carrier-lost=K ("NO CARRIER"
  after K records of a call, once), cut-line=K (after K records of a call, half of the
  next record line, then "NO CARRIER", once), repeat=K (the K-th record line of a call
  sent twice, once), long-line=K (after K records of a call, a 100 kB record line, once),
  skip=K (after K records of a call, one record left out, once). SIGUSR1 switches them off
  and on.

)";

// Reads the --modem-fault list; false with *message when a kind is unknown.
bool parse_modem_faults(const QString& list, SimModem::Faults* faults, std::string* message) {
    for (const QString& item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString kind = item.trimmed();
        const QLatin1String carrier_lost("carrier-lost=");
        const QLatin1String cut_line("cut-line=");
        const QLatin1String repeat("repeat=");
        const QLatin1String long_line("long-line=");
        const QLatin1String skip("skip=");
        bool number = false;
        if (kind == QLatin1String("no-connect")) {
            faults->no_connect = true;
        } else if (kind == QLatin1String("garbage")) {
            faults->garbage_lines = true;
        } else if (kind.startsWith(carrier_lost) && kind.mid(carrier_lost.size()).toInt(&number) >= 0 &&
                   number) {
            faults->carrier_lost_after = kind.mid(carrier_lost.size()).toInt();
        } else if (kind.startsWith(cut_line) && kind.mid(cut_line.size()).toInt(&number) >= 0 && number) {
            faults->cut_line_after = kind.mid(cut_line.size()).toInt();
        } else if (kind.startsWith(repeat) && kind.mid(repeat.size()).toInt(&number) > 0 && number) {
            faults->repeat_after = kind.mid(repeat.size()).toInt();
        } else if (kind.startsWith(long_line) && kind.mid(long_line.size()).toInt(&number) >= 0 && number) {
            faults->long_line_after = kind.mid(long_line.size()).toInt();
        } else if (kind.startsWith(skip) && kind.mid(skip.size()).toInt(&number) >= 0 && number) {
            faults->skip_after = kind.mid(skip.size()).toInt();
        } else {
            *message =
                "--modem-fault takes no-connect, garbage, carrier-lost=K, cut-line=K, repeat=K, "
                "long-line=K and skip=K, not " +
                kind.toStdString();
            return false;
        }
    }
    return true;
}

}  // namespace

std::string default_workspace_root() {
    return workspace_root().toStdString();
}

namespace {

struct ParserSetup {
    QCommandLineParser parser;
    QCommandLineOption help{{"h", "help"}, "Shows this help."};
    QCommandLineOption workspace{"workspace",
                                 "The recorder's workspace folder (default: " +
                                     QString::fromStdString(default_workspace_root()) + ").",
                                 "dir"};
    QCommandLineOption port{"port", "COM port number N, 1 to 98 (default 2).", "n", "2"};
    QCommandLineOption config{"config", "The sensors (default: the built-in demo sensors).", "file"};
    QCommandLineOption rs485{"rs485", "RS485 mode: commands start with \"%\"."};
    QCommandLineOption log{"log", "Prints each command and its answer on stderr."};
    QCommandLineOption ready_file{"ready-file", "Written with the ready line once the link exists.", "file"};
    QCommandLineOption fault{
        "fault",
        QString("Faults for all sensors, overriding the configuration, comma-separated: ") +
            FaultConfig::kind_names() + ".",
        "list"};
    QCommandLineOption late_ms{"late-ms", "Delay of the late fault for all sensors.", "ms"};
    QCommandLineOption other_address{"other-address", "Address of the other-address fault for all sensors.",
                                     "a"};
    QCommandLineOption modem{"modem", "A GSM modem with a remote logger instead of the bus (see below)."};
    QCommandLineOption records{"records", "Modem: the records the remote logger holds (default 1-12).",
                               "first-last"};
    QCommandLineOption connect_ms{"connect-ms",
                                  "Modem: milliseconds from dialling to CONNECT (default 2000).", "ms"};
    QCommandLineOption modem_fault{"modem-fault", "Modem: faults, comma-separated (see below).", "list"};

    ParserSetup() {
        parser.setApplicationDescription(kDescription);
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({help, workspace, port, config, rs485, log, ready_file, fault, late_ms,
                           other_address, modem, records, connect_ms, modem_fault});
    }
};

}  // namespace

SimOptionsParser::Outcome SimOptionsParser::parse(const QStringList& arguments, SimOptions* options,
                                                  std::string* message) {
    ParserSetup setup;
    QCommandLineParser& parser = setup.parser;
    if (!parser.parse(arguments)) {
        *message = parser.errorText().toStdString();
        return Outcome::Error;
    }
    if (parser.isSet(setup.help)) return Outcome::Help;
    if (!parser.positionalArguments().isEmpty()) {
        *message = "unexpected argument " + parser.positionalArguments().first().toStdString();
        return Outcome::Error;
    }
    options->workspace = parser.isSet(setup.workspace) ? parser.value(setup.workspace).toStdString()
                                                       : default_workspace_root();
    bool number = false;
    options->port = parser.value(setup.port).toInt(&number);
    if (!number || options->port < 1 || options->port > 98) {
        *message = "--port takes a number from 1 to 98";
        return Outcome::Error;
    }
    options->config_path = parser.value(setup.config).toStdString();
    options->rs485 = parser.isSet(setup.rs485);
    options->log = parser.isSet(setup.log);
    options->ready_file = parser.value(setup.ready_file).toStdString();
    if (parser.isSet(setup.fault)) {
        options->faults = parser.value(setup.fault).toStdString();
        FaultConfig check;
        if (!check.set_kinds(options->faults, message)) return Outcome::Error;
        if (options->faults.empty()) options->faults = "none";
    }
    if (parser.isSet(setup.late_ms)) {
        options->late_ms = parser.value(setup.late_ms).toInt(&number);
        if (!number || options->late_ms < 0 || options->late_ms > 600000) {
            *message = "--late-ms takes a number of milliseconds from 0 to 600000";
            return Outcome::Error;
        }
    }
    if (parser.isSet(setup.other_address)) {
        const std::string address = parser.value(setup.other_address).toStdString();
        if (address.size() != 1 || !is_sdi12_address(address[0])) {
            *message = "--other-address takes one character 0-9, a-z or A-Z";
            return Outcome::Error;
        }
        options->other_address = address[0];
    }
    options->modem = parser.isSet(setup.modem);
    if (parser.isSet(setup.records)) {
        const QStringList range = parser.value(setup.records).split(QLatin1Char('-'));
        bool first_ok = false, last_ok = false;
        if (range.size() == 2) {
            options->first_record = range[0].toInt(&first_ok);
            options->last_record = range[1].toInt(&last_ok);
        }
        if (!first_ok || !last_ok || options->first_record < 0 ||
            options->last_record < options->first_record) {
            *message = "--records takes FIRST-LAST, two numbers from 0 up, FIRST not above LAST";
            return Outcome::Error;
        }
    }
    if (parser.isSet(setup.connect_ms)) {
        options->connect_ms = parser.value(setup.connect_ms).toInt(&number);
        if (!number || options->connect_ms < 0 || options->connect_ms > 600000) {
            *message = "--connect-ms takes a number of milliseconds from 0 to 600000";
            return Outcome::Error;
        }
    }
    if (parser.isSet(setup.modem_fault) &&
        !parse_modem_faults(parser.value(setup.modem_fault), &options->modem_faults, message))
        return Outcome::Error;
    return Outcome::Run;
}

std::string SimOptionsParser::help_text() {
    ParserSetup setup;
    return setup.parser.helpText().toStdString() + kPortHelp + kModemHelp + sim_config_format_help() +
           "\nWithout --config veld-sim emulates the demo sensors (0, 1 and 3) of\n"
           "examples/workspace/sim.conf, built in.\n";
}
