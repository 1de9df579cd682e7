// The executable: which kind of run the command line asks for, and the display checks of the
// window. Everything else lives in the libraries.
#include "amplifier_list_commands.h"
#include "command_line.h"
#include "data_folder.h"
#include "exit_status.h"
#include "headless_run.h"
#include "history_commands.h"
#include "remote_user_commands.h"
#include "remote_wiring.h"
#include "run_options.h"
#include "window_run.h"
#include "x_display.h"

#include "ui/display_setup.h"

#include <QApplication>

#include <cstdio>
#include <optional>

namespace {

// Without a display Qt would abort with a platform-plugin error that tells a user little.
bool displayAvailable() {
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

// --help and --version still work; anything else ends with one line instead of Qt's
// platform-plugin abort. No GUI application object is made, so no plugin is loaded at all.
int refuseWithoutDisplay(int argc, char* argv[], const char* reason) {
    QCoreApplication app(argc, argv);
    tarvex::setApplicationNames();
    if (!tarvex::RunOptions::parse(QCoreApplication::arguments()))
        return tarvex::exit_status::kInvalidUse;
    std::fprintf(stderr,
                 "tarvex: %s; run it under Xvfb, for example: xvfb-run -a make run, or without a "
                 "window: tarvex --headless\n",
                 reason);
    return tarvex::exit_status::kFileProblem;
}

} // namespace

int main(int argc, char* argv[]) {
    // The list commands work over a remote shell: no display, no GUI application object.
    const QStringList arguments = tarvex::command_line::arguments(argc, argv);
    const bool listCommand = tarvex::AmplifierListCommands::requested(arguments);
    const bool userCommand = tarvex::RemoteUserCommands::requested(arguments);
    if (listCommand || userCommand || tarvex::HistoryCommands::requested(arguments)) {
        QCoreApplication app(argc, argv);
        tarvex::setApplicationNames();
        if (!tarvex::RunOptions::acceptedForCommand(app.arguments()))
            return tarvex::exit_status::kInvalidUse;
        const auto data = tarvex::DataFolder::forArguments(app.arguments());
        // Checked whole above; the commands' own parsers do not know the data folder's option.
        const QStringList commandArguments = tarvex::DataFolder::withoutOption(app.arguments());
        if (listCommand || userCommand) {
            if (QString why; !data.prepare(&why)) {
                std::fprintf(stderr, "tarvex: %s\n", qPrintable(why));
                return tarvex::exit_status::kFileProblem;
            }
        }
        if (listCommand)
            return tarvex::AmplifierListCommands::run(commandArguments,
                                                      data.file(QStringLiteral("server.dat")));
        if (userCommand)
            return tarvex::RemoteUserCommands::run(
                commandArguments, data.file(QLatin1String(tarvex::RemoteWiring::kUsersFile)));
        return tarvex::HistoryCommands::run(commandArguments,
                                            data.file(QStringLiteral("history.db")));
    }
    if (tarvex::RunOptions::headlessRequested(arguments))
        return tarvex::runHeadless(argc, argv);
    if (!displayAvailable())
        return refuseWithoutDisplay(argc, argv,
                                    "no display found (DISPLAY and WAYLAND_DISPLAY are unset)");
    if (tarvex::xDisplayUnreachable()) {
        const QByteArray reason = "cannot open the display " + qgetenv("DISPLAY");
        return refuseWithoutDisplay(argc, argv, reason.constData());
    }

    tarvex::prepareDisplayForSmallRepaints();
    QApplication app(argc, argv);
    tarvex::setApplicationNames();
    const std::optional<tarvex::RunOptions> options =
        tarvex::RunOptions::parse(QCoreApplication::arguments());
    if (!options)
        return tarvex::exit_status::kInvalidUse;
    return tarvex::runWindow(*options);
}
