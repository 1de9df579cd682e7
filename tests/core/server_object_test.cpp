#include "core/data_file.h"
#include "core/property_bag.h"
#include "core/server_object.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvex {
namespace {

// A stand-in amplifier driver that records what the server asks of it.
class FakeDriver : public Module {
public:
    explicit FakeDriver(QStringList& log) : mLog(log) {}

    void Initialize(const HubPtr& theHub, std::int16_t theIndex) override {
        mLog << QStringLiteral("init %1 %2").arg(name).arg(theIndex);
        hub = theHub;
        if (name == "busy")
            throw std::runtime_error("port busy");
    }
    void Terminate() override {
        mLog << QStringLiteral("term %1").arg(name);
        hub.reset();
    }
    void EditProperties() override {}
    QString Description() const override { return name; }
    void WriteProps(PropertyBag& pb) override {
        pb.WriteProperty("DeviceName", name, "");
        pb.WriteProperty("AmpPort", port, std::int16_t{1});
    }
    void ReadProps(PropertyBag& pb) override {
        name = pb.ReadProperty("DeviceName", "").toString();
        port = pb.ReadProperty("AmpPort", std::int16_t{1}).toInteger();
        if (name == "unreadable")
            throw VariantError(kErrTypeMismatch, "unreadable settings");
    }
    bool isAmplifierDriver() const override { return true; }

    QString name;
    std::int16_t port = 1;
    HubPtr hub;

private:
    QStringList& mLog;
};

class ServerObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("server.dat");
    }

    std::unique_ptr<ServerObject> makeServer() {
        ServerObject::Collaborators c;
        c.driverFactory = [this] { return std::make_shared<FakeDriver>(log); };
        c.viewHost = [this](const ModuleList& modules, const HubPtr& hub) {
            log << QStringLiteral("views %1").arg(modules.size());
            viewHub = hub;
        };
        c.listEditor = [this](ModuleList& modules) { return editor ? editor(modules) : false; };
        auto server = std::make_unique<ServerObject>(c, path);
        QObject::connect(server.get(), &ServerObject::errorOccurred,
                         [this](const QString& m) { errors << m; });
        return server;
    }

    // Writes a list through the server's own save path (the configure command).
    void saveList(const QStringList& names) {
        auto server = makeServer();
        editor = [this, names](ModuleList& modules) {
            modules.clear();
            std::int16_t port = 1;
            for (const QString& n : names) {
                auto d = std::make_shared<FakeDriver>(log);
                d->name = n;
                d->port = port++;
                modules.push_back(d);
            }
            return true;
        };
        server->mnuEdit_Click();
        server->StopServer();
        editor = nullptr;
        log.clear();
        errors.clear();
    }

    QStringList loadedNames() {
        auto server = makeServer();
        server->StartServer();
        QStringList names;
        for (const auto& m : *server->modules())
            names << m->Description();
        server->StopServer();
        return names;
    }

    QByteArray fileBytes() {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString path;
    QStringList log;
    QStringList errors;
    HubPtr viewHub;
    std::function<bool(ModuleList&)> editor;
};

TEST_F(ServerObjectTest, MissingFileGivesAnEmptyRunningServerAndAnEmptyFile) {
    auto server = makeServer();
    server->StartServer();
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFile(path).size(), 0);
    ASSERT_NE(server->modules(), nullptr);
    EXPECT_TRUE(server->modules()->empty());
    EXPECT_NE(server->hub(), nullptr);
    EXPECT_EQ(viewHub, server->hub());
    EXPECT_EQ(log, QStringList{"views 0"});
}

TEST_F(ServerObjectTest, SavedListLoadsBackInOrderWithIndexes) {
    saveList({"alpha", "bravo"});
    auto server = makeServer();
    server->StartServer();
    EXPECT_EQ(log, (QStringList{"init alpha 0", "init bravo 1", "views 2"}));
    auto second = std::dynamic_pointer_cast<FakeDriver>(server->modules()->at(1));
    EXPECT_EQ(second->port, 2);
    EXPECT_EQ(second->hub, server->hub());

    // Starting again stops every module first, then builds a new hub.
    const HubPtr firstHub = server->hub();
    log.clear();
    server->StartServer();
    EXPECT_EQ(log,
              (QStringList{"term alpha", "term bravo", "init alpha 0", "init bravo 1", "views 2"}));
    EXPECT_NE(server->hub(), firstHub);
    server->StopServer();
    EXPECT_EQ(server->hub(), nullptr);
    EXPECT_EQ(server->modules(), nullptr);

    // A shorter list saved over a longer one is all that loads back; a module whose settings
    // cannot be read is kept, and loading ends after it.
    saveList({"solo"});
    EXPECT_EQ(loadedNames(), QStringList{"solo"});
    saveList({"a", "unreadable", "c"});
    EXPECT_EQ(loadedNames(), (QStringList{"a", "unreadable"}));
}

TEST_F(ServerObjectTest, MissingOrEmptyEntryEndsLoadingBeforeItsModule) {
    PropertyBag entry;
    entry.WriteProperty("DeviceName", "one");
    PropertyBag top;
    top.WriteProperty("NumModules", std::int32_t{3});
    top.WriteProperty("Module1", entry.Contents());
    entry.WriteProperty("DeviceName", "two");
    top.WriteProperty("Module2", entry.Contents());
    ASSERT_TRUE(data_file::writeRecord(path, top.Contents(), nullptr));
    EXPECT_EQ(loadedNames(), (QStringList{"one", "two"})); // the count promised a third
    // What is left must not pass for the whole list: a save from Configure would drop the rest.
    EXPECT_TRUE(errors.size() == 1 && errors[0].contains("damaged: only the first 2"))
        << errors.join('\n').toStdString();
    errors.clear();
    top.WriteProperty("NumModules", std::int32_t{2});
    ASSERT_TRUE(data_file::writeRecord(path, top.Contents(), nullptr));
    EXPECT_EQ(loadedNames(), (QStringList{"one", "two"}));
    EXPECT_EQ(errors, QStringList());
    top.WriteProperty("NumModules", std::int32_t{3});

    top.WriteProperty("Module2", QByteArray()); // a zero-length block holds no module
    top.WriteProperty("Module3", entry.Contents());
    ASSERT_TRUE(data_file::writeRecord(path, top.Contents(), nullptr));
    EXPECT_EQ(loadedNames(), QStringList{"one"});
}

TEST_F(ServerObjectTest, ConfigureCommandStopsEditsSavesAndRestarts) {
    saveList({"a", "b"});
    auto server = makeServer();
    server->StartServer();
    log.clear();
    editor = [this](ModuleList& modules) {
        log << QStringLiteral("edit %1").arg(modules.size());
        std::swap(modules[0], modules[1]);
        return true;
    };
    server->mnuEdit_Click();
    // The edited list was never initialized, yet is terminated by the restart; then the saved
    // order runs.
    EXPECT_EQ(log, (QStringList{"term a", "term b", "edit 2", "term b", "term a", "init b 0",
                                "init a 1", "views 2"}));

    // Cancelling (no save) restarts from the file unchanged.
    const QByteArray before = fileBytes();
    editor = [](ModuleList& modules) {
        modules.clear();
        return false;
    };
    server->mnuEdit_Click();
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(server->modules()->size(), 2u);
}

TEST_F(ServerObjectTest, FailingInitializeIsReportedAndTheRestStillStart) {
    saveList({"busy", "b"});
    auto server = makeServer();
    server->StartServer();
    EXPECT_EQ(log, (QStringList{"init busy 0", "init b 1", "views 2"}));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("port busy"));
}

TEST_F(ServerObjectTest, TruncatedAtEveryLengthLoadsAPrefix) {
    saveList({"a", "b", "c"});
    const QByteArray whole = fileBytes();
    for (qsizetype len = 0; len <= whole.size(); ++len) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(whole.left(len));
        f.close();
        const QStringList names = loadedNames();
        const QStringList all{"a", "b", "c"};
        EXPECT_EQ(names, all.mid(0, names.size())) << len;
        if (len == whole.size()) {
            EXPECT_EQ(names, all);
        }
    }
}

// Runs a save in a child process whose file size limit is too small for the new list.
// With SIGXFSZ left at its default the child dies mid-write, as in a crash; ignored, the
// write fails as on a full disk.
int saveInChildWithSizeLimit(const QString& path, const QStringList& names, bool dieOnLimit) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!dieOnLimit)
            signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        QStringList errors;
        QStringList log;
        ServerObject::Collaborators c;
        c.driverFactory = [&] { return std::make_shared<FakeDriver>(log); };
        c.listEditor = [&](ModuleList& modules) {
            for (const QString& n : names) {
                auto d = std::make_shared<FakeDriver>(log);
                d->name = n;
                modules.push_back(d);
            }
            return true;
        };
        ServerObject server(c, path);
        QObject::connect(&server, &ServerObject::errorOccurred,
                         [&](const QString& m) { errors << m; });
        server.mnuEdit_Click();
        _exit(errors.isEmpty() ? 0 : 3);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

TEST_F(ServerObjectTest, InterruptedOrFailedSaveKeepsThePreviousList) {
    saveList({"old"});
    const QStringList big{"a-long-amplifier-name-1", "a-long-amplifier-name-2"};

    const int crashed = saveInChildWithSizeLimit(path, big, true);
    EXPECT_TRUE(WIFSIGNALED(crashed));
    EXPECT_EQ(loadedNames(), QStringList{"old"});

    const int failed = saveInChildWithSizeLimit(path, big, false);
    ASSERT_TRUE(WIFEXITED(failed));
    EXPECT_EQ(WEXITSTATUS(failed), 3); // the failure was reported
    EXPECT_EQ(loadedNames(), QStringList{"old"});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"server.dat"});
}

TEST_F(ServerObjectTest, LoadingStopsAtTheMaximumSaysSoAndCutsLongTexts) {
    QStringList names{QString(300, u'n')};
    for (int i = 2; i <= ServerObject::kMaxModules + 2; ++i)
        names << QString::number(i);
    saveList(names);
    EXPECT_EQ(loadedNames(), QStringList(QString(256, u'n')) + names.mid(1, 63));
    EXPECT_TRUE(errors.size() == 1 && errors[0].contains("2 more"));
}

// Things named server.dat that are no list. Each runs in a child that an alarm ends and whose
// address space is capped, so that a hang or a runaway read cannot take the suite down; an OK
// in the configure dialog on the empty stand-in list must not replace the file.
TEST_F(ServerObjectTest, AnythingButASmallRegularFileStartsEmptySaysSoAndIsKept) {
    const std::pair<const char*, std::function<bool()>> files[] = {
        {"link to /dev/zero", [&] { return QFile::link("/dev/zero", path); }},
        {"fifo", [&] { return mkfifo(QFile::encodeName(path), 0600) == 0; }},
        {"over 1 MiB", [&] { return data_file::writeRecord(path, QByteArray(1 << 20, 'x'), {}); }},
    };
    for (const auto& [name, make] : files) {
        SCOPED_TRACE(name);
        QFile::remove(path);
        struct stat st[2] = {}; // before and after
        ASSERT_TRUE(make() && lstat(QFile::encodeName(path), &st[0]) == 0);
        if (fork() == 0) {
            alarm(5);
            const rlimit space{rlim_t{1} << 30, rlim_t{1} << 30};
            setrlimit(RLIMIT_AS, &space);
            editor = [](ModuleList&) { return true; };
            makeServer()->mnuEdit_Click();
            _exit(errors.size() == 1 ? 0 : 3);
        }
        int status = -1;
        wait(&status);
        EXPECT_EQ(status, 0) << "3 << 8: not one message";
        EXPECT_TRUE(lstat(QFile::encodeName(path), &st[1]) == 0 && st[1].st_ino == st[0].st_ino);
    }
}

} // namespace
} // namespace tarvex
