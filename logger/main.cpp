// veld-logger: the recorder without windows, for unattended field PCs and for scripting.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QSocketNotifier>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <memory>

#include "link/clock.h"
#include "link/serial_link.h"
#include "logger/logger_session.h"
#include "settings/workspace.h"

#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

const char* const kUsage =
    "Usage: veld-logger <command> [options]\n"
    "\n"
    "The Veld Recorder acquisition engine without windows. It uses the same workspace as the\n"
    "desktop program: $VELD_WORKSPACE when set, else $USERPROFILE/Documents/Veld/ when\n"
    "USERPROFILE is set, otherwise $HOME/Documents/Veld/ (Config/config.xml,\n"
    "Config/varlist.xml, Devices/, LOG/). Port N is the workspace link Ports/COM<N> when it\n"
    "exists, else /dev/ttyS<N-1>. A port that another program holds is refused with its name\n"
    "and process id.\n"
    "\n"
    "Commands:\n"
    "  scan              Scan the 16 bus addresses (0-9, a-f) with the identify command and print,\n"
    "                    after the console stream, one line per address that answered:\n"
    "                    the address, a space and the identification line.\n"
    "  log [--cycles N]  Log as the desktop program's \"Start Logging\" does, records appended to\n"
    "                    LOG/<file name of config.xml>. With --cycles N stop after N cycles\n"
    "                    (a cycle whose port cannot be opened writes no record but counts);\n"
    "                    without it run until SIGINT or SIGTERM, then finish cleanly.\n"
    "                    In the \"File Remote\" communication mode it imports the data files\n"
    "                    of the import folder (imp_dir of Config/fileio.xml, by default\n"
    "                    Import/ in the workspace) instead, N counting imported records.\n"
    "                    In the \"Modem\" mode it calls the remote logger through the GSM modem\n"
    "                    at the times of Config/gsmdialout.xml and appends the records it\n"
    "                    downloads instead, N counting downloaded records.\n"
    "  cmd TEXT          Send one command (for example 0I!) and print its answer line.\n"
    "\n"
    "Options:\n"
    "  -q, --quiet       Print only the record lines (\"<time> : Gathering Data\", one a\n"
    "                    record) and the warnings and errors, not the bus traffic.\n"
    "  -h, --help        Show this text.\n"
    "\n"
    "Exit codes: 0 done; 2 bad arguments; 3 (cmd) no answer within 1000 ms;\n"
    "            4 (log) record lines that the log file did not take are lost;\n"
    "            5 (scan, log) the port cannot be opened (log: in one of the cycles).\n";

int usage_error(const QString& message) {
    std::fprintf(stderr, "veld-logger: %s\n\n%s", qPrintable(message), kUsage);
    return LoggerSession::kUsage;
}

#ifndef _WIN32
int signal_pipe[2] = {-1, -1};
void on_signal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signal_pipe[1], &c, 1);
}
#endif

}  // namespace

int main(int argc, char** argv) {
    // A fixed hash seed keeps the attribute order of written settings files the same from run to
    // run, so that they can be compared.
    qSetGlobalQHashSeed(0);
    QCoreApplication app(argc, argv);
    // The options may stand before or after the command; --help wins over any fault.
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this text."));
    const QCommandLineOption quiet_option({QStringLiteral("q"), QStringLiteral("quiet")},
                                          QStringLiteral("Print only the record lines and the warnings."));
    const QCommandLineOption cycles_option(QStringLiteral("cycles"), QStringLiteral("Stop after N cycles."),
                                           QStringLiteral("N"));
    parser.addOption(help);
    parser.addOption(quiet_option);
    parser.addOption(cycles_option);
    const bool parsed = parser.parse(app.arguments());
    if (parser.isSet(help)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!parsed) return usage_error(parser.errorText());
    const bool quiet = parser.isSet(quiet_option);
    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) return usage_error(QStringLiteral("a command is required"));
    const QString command = args.takeFirst();

    int cycles = 0;
    QString text;
    if (command == QLatin1String("scan")) {
        if (!args.isEmpty() || parser.isSet(cycles_option))
            return usage_error(QStringLiteral("scan takes no arguments"));
    } else if (command == QLatin1String("log")) {
        if (!args.isEmpty()) return usage_error(QStringLiteral("log takes only --cycles N"));
        if (parser.isSet(cycles_option)) {
            bool ok = false;
            cycles = parser.value(cycles_option).toInt(&ok);
            if (!ok || cycles < 1)
                return usage_error(QStringLiteral("--cycles needs a whole number above 0"));
        }
    } else if (command == QLatin1String("cmd")) {
        if (args.size() != 1 || args[0].isEmpty() || parser.isSet(cycles_option))
            return usage_error(QStringLiteral("cmd takes one command text"));
        text = args[0];
    } else {
        return usage_error(QStringLiteral("unknown command \"%1\"").arg(command));
    }

    SystemClock clock;
    std::unique_ptr<SerialLink> link = make_platform_serial_link();
    LoggerSession session(*link, clock, workspace_root());
    session.set_quiet(quiet);

#ifndef _WIN32
    std::unique_ptr<QSocketNotifier> notifier;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signal_pipe) == 0) {
        notifier = std::make_unique<QSocketNotifier>(signal_pipe[0], QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [&] {
            char c;
            [[maybe_unused]] ssize_t n = ::read(signal_pipe[0], &c, 1);
            session.stop();
        });
        std::signal(SIGINT, on_signal);
        std::signal(SIGTERM, on_signal);
    }
#endif

    if (command == QLatin1String("scan")) return session.scan();
    if (command == QLatin1String("log")) return session.log(cycles);
    return session.command(text);
}
