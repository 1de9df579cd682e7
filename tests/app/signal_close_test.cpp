// A signal ends tarvex the way closing its window does.
#include "../support/printers.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

namespace tarvex {
namespace {

struct SignalCase {
    const char* name;
    int signal;
};

void PrintTo(const SignalCase& c, std::ostream* os) {
    *os << c.name;
}

class SignalEnd : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalEnd, SavesThePlacementAndExitsNormally) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    QProcess tarvex;
    tarvex.setProcessEnvironment(env);
    tarvex.setWorkingDirectory(dir.path());
    tarvex.start(TARVEX_EXECUTABLE, {});
    ASSERT_TRUE(tarvex.waitForStarted());
    // The window makes server.dat while it loads, after the signals are taken over.
    const QDeadlineTimer deadline(10000);
    while (!QFile::exists(dir.filePath("server.dat")) && !deadline.hasExpired())
        QThread::msleep(10);
    ::kill(static_cast<pid_t>(tarvex.processId()), GetParam().signal);
    ASSERT_TRUE(tarvex.waitForFinished(10000));
    EXPECT_EQ(tarvex.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tarvex.exitCode(), 0);
    const QSettings saved(dir.filePath("config/Tarvex/Tarvex.conf"), QSettings::IniFormat);
    EXPECT_TRUE(saved.contains("Settings/MainLeft") && saved.contains("Settings/MainHeight"));
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalEnd,
                         ::testing::Values(SignalCase{"TERM", SIGTERM}, SignalCase{"HUP", SIGHUP},
                                           SignalCase{"INT", SIGINT}),
                         test::CaseName{});

} // namespace
} // namespace tarvex
