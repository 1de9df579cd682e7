#include "../support/printers.h"
#include "app/amplifier_list_commands.h"
#include "core/server_object.h"
#include "core/user_settings.h"
#include "driver/ferro_driver.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <optional>
#include <tuple>

namespace tarvex {
namespace {

enum class Seed { None, Two, Damaged, NoDirectory, ControlName };

struct Case {
    const char* name;
    Seed seed;
    QStringList args;
    int status;
    QString out;       // exactly
    const char* err;   // a part of it; "" when nothing is expected
    bool changesFile;  // otherwise server.dat must keep every byte (or stay missing)
    QString listAfter; // what --list-amplifiers then shows, with --port 2=/dev/ttyUSB7
};

const QString kAlpha = "1: Alpha, port 1 (/dev/ttyS0), 4800,n,8,1\n";
const QString kTower = "2: Tower, port 2 (/dev/ttyUSB7), 9600,n,8,1\n";

// The test harness points the per-user settings at a temporary directory.
class AmplifierListCommandsTest : public ::testing::TestWithParam<Case> {
protected:
    void TearDown() override { userSettings().remove("Ports"); }

    // Exit status, standard output and standard error.
    std::tuple<int, QString, QString> run(const QStringList& args, const QString& dataFile) {
        QString out, err;
        QTextStream o(&out), e(&err);
        const int status = AmplifierListCommands::run(QStringList{"tarvex"} + args, dataFile, o, e);
        o.flush();
        e.flush();
        return {status, out, err};
    }
    std::optional<QByteArray> bytes() const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? std::optional(f.readAll()) : std::nullopt;
    }

    QTemporaryDir dir;
    QString path = dir.filePath("server.dat");
};

TEST_P(AmplifierListCommandsTest, RunsOneCommand) {
    const Case& c = GetParam();
    if (c.seed == Seed::NoDirectory) // a save that cannot happen
        path = dir.filePath("missing/server.dat");
    if (c.seed == Seed::Two || c.seed == Seed::Damaged) {
        ASSERT_EQ(std::get<0>(run({"--add-amplifier", "Alpha,1"}, path)), 0);
        ASSERT_EQ(std::get<0>(run({"--add-amplifier", "Tower, 2,9600, N,8,1"}, path)), 0);
    }
    // Damage cuts into the second entry.
    ASSERT_TRUE(c.seed != Seed::Damaged || QFile::resize(path, QFile(path).size() - 10));
    if (c.seed == Seed::ControlName) { // as a list from before names were checked holds it
        auto driver = std::make_shared<FerroDriver>(DriverEnvironment{});
        driver->setDeviceName("Line\nbreak\x1b[2J");
        ASSERT_TRUE(ServerObject::writeModuleList(path, {driver}, nullptr));
    }
    const auto before = bytes();

    const auto [status, out, err] = run(c.args, path);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(out, c.out);
    EXPECT_TRUE(*c.err ? err.contains(c.err) : err.isEmpty()) << err.toStdString();
    EXPECT_TRUE(c.changesFile || bytes() == before);
    EXPECT_FALSE(userSettings().contains("Ports/1") &&
                 userSettings().value("Ports/1").toString().isEmpty()); // no blank entry left
    EXPECT_EQ(std::get<1>(run({"--list-amplifiers", "--port", "2=/dev/ttyUSB7"}, path)),
              c.listAfter);
}

const QString kTwo = kAlpha + kTower;
const QString kLinear = "3: Linear, port 3 (/dev/ttyS2), 4800,n,8,1\n";
const QString kControlName = "1: Line\\x0Abreak\\x1B[2J, port 1 (/dev/ttyS0), 4800,n,8,1\n";
constexpr Seed None = Seed::None, Two = Seed::Two, Damaged = Seed::Damaged;
// One row per line, so that it reads as a table.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Commands, AmplifierListCommandsTest,
    ::testing::Values(
        Case{"list_missing", None, {"--list-amplifiers"}, 0, "", "is empty", false, ""},
        Case{"list_damaged", Damaged, {"--list-amplifiers"}, 1, kAlpha, "damaged", false, kAlpha},
        Case{"add_default_settings", Two, {"--add-amplifier", " Linear ,3"}, 0, "added " + kLinear, "", true, kTwo + kLinear},
        Case{"add_to_damaged", Damaged, {"--add-amplifier", "X,3"}, 1, "", "damaged", false, kAlpha},
        Case{"add_no_name", Two, {"--add-amplifier", " ,3"}, 2, "", "needs a name", false, kTwo},
        Case{"add_port_0", Two, {"--add-amplifier", "X,0"}, 2, "", "1 to 32767", false, kTwo},
        Case{"add_bad_settings", Two, {"--add-amplifier", "X,3,9600"}, 2, "", "\"9600\"", false, kTwo},
        Case{"add_name_with_escape", Two, {"--add-amplifier", "To\x1b[31mwer,3"}, 2, "", "\"To\\x1B[31mwer\" holds a control", false, kTwo},
        Case{"list_control_name", Seed::ControlName, {"--list-amplifiers"}, 0, kControlName, "", false, kControlName},
        Case{"remove_first", Two, {"--remove-amplifier", "1"}, 0, "removed " + kAlpha, "", true, "1: Tower, port 2 (/dev/ttyUSB7), 9600,n,8,1\n"},
        Case{"remove_last", Two, {"--remove-amplifier", "2"}, 0, "removed 2: Tower, port 2 (/dev/ttyS1), 9600,n,8,1\n", "", true, kAlpha},
        Case{"remove_0", Two, {"--remove-amplifier", "0"}, 2, "", "no amplifier 0", false, kTwo},
        Case{"remove_past_end", Two, {"--remove-amplifier", "3"}, 2, "", "holds 2", false, kTwo},
        Case{"map_port", Two, {"--map-port", "1=/dev/ttyACM0"}, 0, "port 1 is /dev/ttyACM0\n", "", false, "1: Alpha, port 1 (/dev/ttyACM0), 4800,n,8,1\n" + kTower},
        Case{"unmap_port", Two, {"--map-port", "1="}, 0, "port 1 is no longer mapped; it is /dev/ttyS0\n", "", false, kTwo},
        Case{"map_port_line_break", Two, {"--map-port", "1=/dev/tty\nUSB0"}, 2, "", "\"/dev/tty\\x0AUSB0\" holds a control", false, kTwo},
        Case{"save_fails", Seed::NoDirectory, {"--add-amplifier", "X,1"}, 1, "", "could not be saved", false, ""},
        Case{"two_commands", Two, {"--list-amplifiers", "--remove-amplifier", "1"}, 2, "", "--list-amplifiers and --remove-amplifier cannot be combined", false, kTwo},
        Case{"one_command_twice", Two, {"--remove-amplifier", "1", "--remove-amplifier", "2"}, 2, "", "give one --remove-amplifier at a time", false, kTwo}),
    test::CaseName{});
// clang-format on

// An entry past the limit would be dropped at the next start, so the command refuses it.
TEST_F(AmplifierListCommandsTest, AddStopsAtTheLimit) {
    for (int i = 1; i <= 64; ++i)
        ASSERT_EQ(std::get<0>(run({"--add-amplifier", QString("A%1,1").arg(i)}, path)), 0);
    const auto before = bytes();
    const auto [status, out, err] = run({"--add-amplifier", "Extra,1"}, path);
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(err.contains("already holds 64")) << err.toStdString();
    EXPECT_EQ(bytes(), before);
}

// The program itself, as over a remote shell: no display, server.dat in the working directory.
TEST_F(AmplifierListCommandsTest, ProgramRunsWithoutDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    QProcess tarvex;
    tarvex.setProcessEnvironment(env);
    tarvex.setWorkingDirectory(dir.path());
    tarvex.start(TARVEX_BINARY, {"--add-amplifier", "Tower,2,9600,n,8,1", "--port=2=/dev/ttyUSB7"});
    ASSERT_TRUE(tarvex.waitForFinished(30000));
    EXPECT_EQ(tarvex.exitCode(), 0) << tarvex.readAllStandardError().toStdString();
    EXPECT_EQ(tarvex.readAllStandardOutput(),
              "added 1: Tower, port 2 (/dev/ttyUSB7), 9600,n,8,1\n");
    EXPECT_EQ(std::get<1>(run({"--list-amplifiers"}, path)),
              "1: Tower, port 2 (/dev/ttyS1), 9600,n,8,1\n");
}

} // namespace
} // namespace tarvex
