// The tarvex binary as a user runs it: every invalid command line ends with exit status 2 and one
// "tarvex:" line, help and version print and end with 0, and nothing invalid starts the window.
#include "../support/printers.h"
#include "history/history_store.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace tarvex {
namespace {

// What the working directory holds: nothing, a FIFO that would hang a plain read, a history
// to send to a full standard output, or a list that is no list.
enum class Files { None, FifoList, FifoHistory, HistoryToFullOutput, DamagedList };

struct Invocation {
    const char* name;
    QStringList args;
    bool display; // the offscreen platform; otherwise no display at all
    int status;
    // A part of standard output when it succeeds; otherwise its one "tarvex:" line, less that,
    // with %DIR for the working directory.
    const char* says;
    Files files = Files::None;
};

class CommandLine : public testing::TestWithParam<Invocation> {};

TEST_P(CommandLine, EndsWithItsStatusAndSaysWhy) {
    const Invocation& c = GetParam();
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY"), env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", c.display ? "offscreen" : ""); // empty is none
    QProcess tarvex; // killed, if still running, when it goes
    const QString list = dir.filePath("server.dat"), history = dir.filePath("history.db");
    if (c.files == Files::FifoList || c.files == Files::FifoHistory) {
        ASSERT_EQ(mkfifo(QFile::encodeName(c.files == Files::FifoList ? list : history), 0600), 0);
    }
    if (c.files == Files::DamagedList) {
        QFile junk(list);
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly) && junk.write("not a list") > 0);
    }
    if (c.files == Files::HistoryToFullOutput) {
        ASSERT_TRUE(HistoryStore(history).open(0));
        tarvex.setStandardOutputFile("/dev/full"); // a redirection: nothing replaces the node
    }
    tarvex.setProcessEnvironment(env);
    tarvex.setWorkingDirectory(dir.path());
    tarvex.start(TARVEX_BINARY, c.args);
    ASSERT_TRUE(tarvex.waitForFinished(20000))
        << "still running: the window started or a read hangs";
    const QStringList said = QString::fromLocal8Bit(tarvex.readAllStandardError())
                                 .split(u'\n')
                                 .filter(QRegularExpression("^tarvex:"));
    EXPECT_EQ(tarvex.exitCode(), c.status) << said.join('\n').toStdString();
    const QString says = QString::fromUtf8(c.says).replace("%DIR", dir.path());
    EXPECT_EQ(said, c.status ? QStringList{"tarvex: " + says} : QStringList{});
    EXPECT_TRUE(c.status || tarvex.readAllStandardOutput().contains(c.says));
    EXPECT_TRUE(c.status || c.args[0] != "--screenshot" || QFile::exists(dir.filePath(c.args[1])));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Binary, CommandLine, testing::Values(
    Invocation{"unknown_option", {"--bogus"}, true, 2, "Unknown option 'bogus'."},
    Invocation{"since_without_export", {"--since", "2024-05-01"}, true, 2, "--since is only used with --export-history"},
    Invocation{"settle_without_screenshot", {"--settle", "5"}, true, 2, "--settle is only used with --screenshot"},
    Invocation{"invalid_without_display", {"--demo", "extra"}, false, 2, "unexpected argument \"extra\""},
    Invocation{"help_all", {"--help-all"}, true, 0, "--qmljsdebugger"},
    Invocation{"help_over_command", {"--list-amplifiers", "-h"}, false, 0, "--map-port <N=DEVICE>"},
    Invocation{"version_over_export", {"--export-history", "x.csv", "--version"}, false, 0, "Tarvex "},
    Invocation{"screenshot_unwritable", {"--screenshot", "/nonexistent/x.png", "--settle", "0"}, true, 1, "cannot write /nonexistent/x.png: No such file or directory"},
    Invocation{"screenshot", {"--screenshot", "shot.png", "--settle", "0"}, true, 0, ""},
    Invocation{"export_and_list", {"--export-history", "x.csv", "--list-amplifiers"}, false, 2, "--export-history and --list-amplifiers cannot be combined"},
    Invocation{"list_and_window", {"--list-amplifiers", "--demo"}, false, 2, "--list-amplifiers and --demo cannot be combined"},
    Invocation{"port_out_of_range", {"--port", "1=tcp://host:99999"}, false, 2, "--port: \"tcp://host:99999\" is not a network address; write it as tcp://HOST:PORT with a port from 1 to 65535."},
    Invocation{"list_from_fifo", {"--list-amplifiers"}, false, 1, "server.dat could not be read: not a regular file", Files::FifoList},
    Invocation{"export_from_fifo", {"--export-history", "x.csv"}, false, 1, "history.db is not a regular file; it is left as it is", Files::FifoHistory},
    Invocation{"export_to_full_output", {"--export-history", "-"}, false, 1, "the events could not be written to standard output: No space left on device", Files::HistoryToFullOutput},
    Invocation{"headless_screenshot", {"--headless", "--screenshot", "x.png"}, false, 2, "--headless and --screenshot cannot be combined"},
    Invocation{"headless_and_list", {"--headless", "--list-amplifiers"}, false, 2, "--headless and --list-amplifiers cannot be combined"},
    Invocation{"headless_without_list", {"--headless"}, false, 4, "no amplifier to serve: %DIR/server.dat lists none; add one with --add-amplifier NAME,PORT"},
    Invocation{"headless_list_from_fifo", {"--headless"}, false, 1, "no amplifier to serve: %DIR/server.dat could not be read (not a regular file)", Files::FifoList},
    Invocation{"headless_damaged_list", {"--headless"}, false, 1, "no amplifier to serve: %DIR/server.dat is damaged", Files::DamagedList}),
    test::CaseName{});
// clang-format on

} // namespace
} // namespace tarvex
