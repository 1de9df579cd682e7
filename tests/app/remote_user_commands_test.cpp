#include "../support/printers.h"
#include "app/remote_user_commands.h"
#include "remote/remote_users.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace tarvex {
namespace {

enum class Seed { None, AnnAndBob, OpenToOthers, NoDirectory };

struct Case {
    const char* name;
    Seed seed;
    QStringList args;
    bool terminal;
    QStringList typed; // the lines standard input gives, in order
    int status;
    QString out;          // exactly
    const char* err;      // a part of it; "" when nothing is expected
    QString listAfter;    // what --list-remote-users then shows
    const char* password; // the new user's, checked when given
};

class RemoteUserCommandsTest : public testing::TestWithParam<Case> {
protected:
    std::tuple<int, QString, QString> run(const QStringList& args, bool terminal = false,
                                          QStringList typed = {}) {
        QString out, err;
        QTextStream o(&out), e(&err);
        const PasswordInput input{terminal, [&typed](const QString&) {
                                      return typed.isEmpty() ? std::nullopt
                                                             : std::optional(typed.takeFirst());
                                  }};
        const int status = RemoteUserCommands::run(QStringList{"tarvex"} + args, path, input, o, e);
        o.flush(), e.flush();
        // A success read every line typed, and none past the password.
        EXPECT_TRUE(typed.isEmpty() || status != 0) << typed.join('|').toStdString();
        return {status, out, err};
    }
    QByteArray bytes() const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString path = dir.filePath("remote-users");
};

TEST_P(RemoteUserCommandsTest, RunsOneCommand) {
    const Case& c = GetParam();
    if (c.seed == Seed::NoDirectory)
        path = dir.filePath("missing/remote-users");
    if (c.seed == Seed::AnnAndBob || c.seed == Seed::OpenToOthers) {
        ASSERT_EQ(std::get<0>(
                      run({"--add-remote-user", "ann", "--role", "operate"}, false, {"ann pass"})),
                  0);
        ASSERT_EQ(
            std::get<0>(run({"--add-remote-user", "bob", "--role=view"}, false, {"bob pass"})), 0);
    }
    if (c.seed == Seed::OpenToOthers) {
        ASSERT_TRUE(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    }
    const QByteArray before = bytes();

    const auto [status, out, err] = run(c.args, c.terminal, c.typed);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(out, c.out);
    EXPECT_TRUE(*c.err ? err.contains(c.err) : err.isEmpty()) << err.toStdString();
    EXPECT_TRUE(status == 0 || bytes() == before) << "a refused command changed the file";
    if (c.seed != Seed::OpenToOthers) {
        EXPECT_EQ(std::get<1>(run({"--list-remote-users"})), c.listAfter);
    }
    if (c.password) {
        EXPECT_TRUE(RemoteUsers::load(path, nullptr)->verify(c.args[1], c.password));
    }
}

const QString kAnnBob = "ann: operate\nbob: view\n";
constexpr Seed None = Seed::None, Two = Seed::AnnAndBob;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, RemoteUserCommandsTest, testing::Values(
    Case{"add_from_a_pipe", None, {"--add-remote-user", "cy", "--role", "view"}, false, {" two words "}, 0, "added cy (view)\n", "", "cy: view\n", " two words "},
    Case{"add_typed_twice", Two, {"--add-remote-user", "Cy Young", "--role", "operate"}, true, {"s3cret-pass", "s3cret-pass"}, 0, "added Cy Young (operate)\n", "", kAnnBob + "Cy Young: operate\n", "s3cret-pass"},
    Case{"typed_twice_differently", Two, {"--add-remote-user", "cy", "--role", "view"}, true, {"s3cret-pass", "s3cret-pasz"}, 2, "", "the passwords do not match", kAnnBob, nullptr},
    Case{"no_password_at_all", Two, {"--add-remote-user", "cy", "--role", "view"}, false, {}, 2, "", "no password given", kAnnBob, nullptr},
    Case{"short_password", Two, {"--add-remote-user", "cy", "--role", "view"}, false, {"short"}, 2, "", "at least 8 characters", kAnnBob, nullptr},
    Case{"unknown_role", Two, {"--add-remote-user", "cy", "--role", "admin"}, false, {"s3cret-pass"}, 2, "", "--role is operate or view, not \"admin\"", kAnnBob, nullptr},
    Case{"remove", Two, {"--remove-remote-user", "ann"}, false, {}, 0, "removed ann\n", "", "bob: view\n", nullptr},
    Case{"remove_unknown", Two, {"--remove-remote-user", "cy"}, false, {}, 2, "", "no remote user cy", kAnnBob, nullptr},
    Case{"list_and_remove", Two, {"--list-remote-users", "--remove-remote-user", "ann"}, false, {}, 2, "", "--list-remote-users and --remove-remote-user cannot be combined", kAnnBob, nullptr},
    Case{"file_open_to_others", Seed::OpenToOthers, {"--add-remote-user", "cy", "--role", "view"}, false, {"s3cret-pass"}, 1, "", "by others than its owner", "", nullptr},
    Case{"save_fails", Seed::NoDirectory, {"--add-remote-user", "cy", "--role", "view"}, false, {"s3cret-pass"}, 1, "", "could not be saved", "", nullptr}),
    test::CaseName{});
// clang-format on

} // namespace
} // namespace tarvex
