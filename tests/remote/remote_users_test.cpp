// The users file: what it holds, who may read it, and whose password is right.
#include "remote_fixture.h"

#include "remote/remote_users.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace tarvex {
namespace {

TEST(RemoteUsers, KeepsSaltedSlowHashesInAFileOnlyItsOwnerReads) {
    QTemporaryDir dir;
    const QString path = dir.filePath("users");
    RemoteUsers users;
    QString error;
    ASSERT_TRUE(users.add("ann", RemoteUsers::Role::Operate, "correct horse", &error)) << error.toStdString();
    ASSERT_FALSE(users.add("ann", RemoteUsers::Role::View, "another one", &error));
    EXPECT_FALSE(users.add("bob", RemoteUsers::Role::View, "short", &error));
    ASSERT_TRUE(users.save(path, &error)) << error.toStdString();

    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 2);
    const QList<QByteArray> fields = lines[1].split(':');
    ASSERT_EQ(fields.size(), 5);
    EXPECT_EQ(fields[0], "ann");
    EXPECT_EQ(fields[1], "operate");
    EXPECT_GE(fields[2].toInt(), 100000);
    EXPECT_EQ(QByteArray::fromBase64(fields[3]).size(), 16);
    EXPECT_EQ(QByteArray::fromBase64(fields[4]).size(), 32);
    EXPECT_FALSE(lines[1].contains("horse"));

    const auto loaded = RemoteUsers::load(path, &error);
    ASSERT_TRUE(loaded) << error.toStdString();
    EXPECT_EQ(loaded->verify("ann", "correct horse"), RemoteUsers::Role::Operate);
    EXPECT_EQ(loaded->verify("ann", "correct horsf"), std::nullopt);
    EXPECT_EQ(loaded->verify("nobody", "correct horse"), std::nullopt);

}

struct FileCase {
    const char* name;
    const char* lines; // after the header; "" for a file holding the header only
    int mode;          // octal permission bits
    const char* reason;
    const char* header = "tarvex-users 1";
};

// A valid line: the hash is of no password anyone knows, which is all loading looks at.
const char* const kLine =
    "ann:operate:100000:AAAAAAAAAAAAAAAAAAAAAA==:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=";

class UsersFileTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(UsersFileTest, LoadsOnlyAFileNobodyElseCanTouch) {
    const FileCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath("users");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(c.header) + '\n' + QByteArray(c.lines).replace('|', '\n') + '\n');
    file.close();
    ASSERT_TRUE(::chmod(QFile::encodeName(path).constData(), mode_t(c.mode)) == 0);
    QString error;
    const auto users = RemoteUsers::load(path, &error);
    if (QString(c.reason).isEmpty()) {
        ASSERT_TRUE(users) << error.toStdString();
        EXPECT_EQ(users->list().size(), 1);
    } else {
        EXPECT_FALSE(users);
        EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, UsersFileTest,
    ::testing::Values(FileCase{"owner_only", kLine, 0600, ""},
                      FileCase{"group_readable", kLine, 0640, "chmod 600"},
                      FileCase{"world_readable", kLine, 0604, "chmod 600"},
                      FileCase{"group_writable", kLine, 0620, "chmod 600"},
                      FileCase{"no_header", kLine, 0600, "does not begin", "users"},
                      FileCase{"weak_hash",
                               "ann:operate:99999:AAAAAAAAAAAAAAAAAAAAAA==:"
                               "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=",
                               0600, "line 2: iterations"},
                      FileCase{"unknown_role",
                               "ann:admin:100000:AAAAAAAAAAAAAAAAAAAAAA==:"
                               "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=",
                               0600, "unknown role"},
                      FileCase{"short_hash", "ann:view:100000:AAAAAAAAAAAAAAAAAAAAAA==:AAAA", 0600,
                               "salt or hash"},
                      FileCase{"listed_twice",
                               "ann:operate:100000:AAAAAAAAAAAAAAAAAAAAAA==:"
                               "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=|"
                               "ann:view:100000:AAAAAAAAAAAAAAAAAAAAAA==:"
                               "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=",
                               0600, "listed twice"}),
    test::CaseName{});

TEST(RemoteUsers, RefusesWhatIsNoRegularFileAndTakesAMissingOneAsEmpty) {
    QTemporaryDir dir;
    QString error;
    const auto none = RemoteUsers::load(dir.filePath("missing"), &error);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->isEmpty());
    EXPECT_FALSE(RemoteUsers::load(dir.path(), &error));
    EXPECT_TRUE(error.contains("not a regular file")) << error.toStdString();
    RemoteUsers users;
    ASSERT_TRUE(users.save(dir.filePath("real"), &error));
    ASSERT_TRUE(QFile::link(dir.filePath("real"), dir.filePath("link")));
    EXPECT_FALSE(RemoteUsers::load(dir.filePath("link"), &error));
    EXPECT_TRUE(error.contains("symbolic link")) << error.toStdString();
}

struct NameCase {
    const char* name;
    QString user;
    bool valid;
};

class UserNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(UserNameTest, NamesFitTheFileAndTheScreen) {
    EXPECT_EQ(RemoteUsers::checkName(GetParam().user).isEmpty(), GetParam().valid)
        << RemoteUsers::checkName(GetParam().user).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Names, UserNameTest,
    ::testing::Values(NameCase{"plain", "Ann-Marie 2", true},
                      NameCase{"longest", QString(32, 'a'), true},
                      NameCase{"empty", "", false}, NameCase{"too_long", QString(33, 'a'), false},
                      NameCase{"colon", "ann:operate", false},
                      NameCase{"newline", "ann\nbob:operate", false},
                      NameCase{"leading_space", " ann", false},
                      NameCase{"bidi_override", QString::fromUtf8("ann\u202Eb"), false}),
    test::CaseName{});

} // namespace
} // namespace tarvex
