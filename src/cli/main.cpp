// velmora-cli: the join engine from the terminal.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <QCoreApplication>

#include "BuildConfig.h"
#include "cli/Commands.h"
#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "foundation/StandardStreams.h"

int main(int argc, char** argv)
{
    // Before anything opens a file: a closed standard stream would hand its
    // number to that file.
    velmora::reopenClosedStandardStreams();
    QCoreApplication app(argc, argv);
    // The tools' folder is found beside the program file now, while that is
    // still the file that runs (an upgrade may replace it during a long run).
    velmora::toolsDirectory();
    QCoreApplication::setApplicationName(QStringLiteral("velmora-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    // Under the CLI, diagnostics never mix with the JSON on standard output:
    // the logging category (off by default), or standard error with --verbose.
    velmora::setDiagnosticTarget(velmora::DiagnosticTarget::loggingCategory);

    if (argc < 2)
        return velmora::cli::usageError("missing command");
    const std::string command = argv[1];
    std::vector<std::string> arguments(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || (command == "help" && arguments.empty())) {
        velmora::cli::printHelp(stdout);
        return 0;
    }
    if (command == "help")
        return velmora::cli::printCommandHelp(stdout, arguments.front());
    if (command == "--version") {
        velmora::cli::printVersion(stdout);
        return 0;
    }
    if (command == "probe")
        return velmora::cli::probeCommand(arguments);
    if (command == "list")
        return velmora::cli::listCommand(arguments);
    if (command == "join")
        return velmora::cli::joinCommand(arguments);
    if (command == "batch")
        return velmora::cli::batchCommand(arguments);
    return velmora::cli::usageError("unknown command '" + command + "'");
}
