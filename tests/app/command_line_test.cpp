// The tarvex binary as a user runs it: every invalid command line ends with exit status 2 and one
// "tarvex:" line, help and version print and end with 0, and nothing invalid starts the window.
#include "../support/printers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace tarvex {
namespace {

struct Invocation {
    const char* name;
    QStringList args;
    bool display; // the offscreen platform; otherwise no display at all
    int status;
    const char* out;     // a part of standard output; "" when nothing in particular
    const char* said;    // the one "tarvex:" line on standard error, less its prefix; "" for none
    const char* png = ""; // a file, in the working directory, that must then hold a PNG

    friend void PrintTo(const Invocation& c, std::ostream* os) { *os << c.name; }
};

class CommandLine : public testing::TestWithParam<Invocation> {};

TEST_P(CommandLine, EndsWithItsStatusAndSaysWhy) {
    const Invocation& c = GetParam();
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    if (c.display)
        env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess tarvex;
    tarvex.setProcessEnvironment(env);
    tarvex.setWorkingDirectory(dir.path());
    tarvex.start(TARVEX_BINARY, c.args);
    // A window started by mistake runs until it is killed.
    if (!tarvex.waitForFinished(20000)) {
        tarvex.kill();
        tarvex.waitForFinished();
        FAIL() << "still running after 20 s: the window started";
    }
    const QString out = QString::fromLocal8Bit(tarvex.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(tarvex.readAllStandardError());
    EXPECT_EQ(tarvex.exitCode(), c.status) << err.toStdString();
    EXPECT_TRUE(out.contains(QLatin1String(c.out))) << out.toStdString();
    QStringList said;
    for (const QString& line : err.split(u'\n'))
        if (line.startsWith(QLatin1String("tarvex:")))
            said << line;
    EXPECT_EQ(said, *c.said ? QStringList{"tarvex: " + QString::fromUtf8(c.said)} : QStringList{});
    if (*c.png) {
        QFile picture(QDir(dir.path()).filePath(c.png));
        ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
        EXPECT_TRUE(picture.readAll().startsWith("\x89PNG\r\n\x1a\n"));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Binary, CommandLine, testing::Values(
    Invocation{"unknown_option", {"--bogus"}, true, 2, "", "Unknown option 'bogus'."},
    Invocation{"stray_argument", {"extra"}, true, 2, "", "unexpected argument \"extra\""},
    Invocation{"since_without_export", {"--since", "2024-05-01"}, true, 2, "", "--since is only used with --export-history"},
    Invocation{"settle_without_screenshot", {"--settle", "5"}, true, 2, "", "--settle is only used with --screenshot"},
    Invocation{"invalid_without_display", {"--demo", "extra"}, false, 2, "", "unexpected argument \"extra\""},
    Invocation{"list_unknown_option", {"--list-amplifiers", "--bogus"}, false, 2, "", "Unknown option 'bogus'."},
    Invocation{"export_missing_value", {"--export-history"}, false, 2, "", "Missing value after '--export-history'."},
    Invocation{"help", {"--help"}, true, 0, "--export-history <FILE>", ""},
    Invocation{"help_all", {"--help-all"}, true, 0, "--qmljsdebugger", ""},
    Invocation{"help_over_command", {"--list-amplifiers", "-h"}, false, 0, "--map-port <N=DEVICE>", ""},
    Invocation{"version_over_export", {"--export-history", "x.csv", "--version"}, false, 0, "Tarvex ", ""},
    Invocation{"screenshot_unwritable", {"--screenshot", "/nonexistent/x.png", "--settle", "0"}, true, 1, "", "cannot write /nonexistent/x.png: No such file or directory"},
    Invocation{"screenshot", {"--screenshot", "shot.png", "--settle", "0"}, true, 0, "", "", "shot.png"}),
    test::CaseName{});
// clang-format on

} // namespace
} // namespace tarvex
