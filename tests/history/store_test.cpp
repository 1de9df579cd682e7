#include "history/history_reader.h"
#include "history/history_store.h"

#include "../support/printers.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <thread>

namespace tarvex {
namespace {

constexpr qint64 kNow = 1'714'529'640'000; // 2024-05-01T02:14:00Z
constexpr qint64 kDay = 24LL * 3600 * 1000;

HistoryBatch eventAndReading(qint64 eventAt, qint64 readingAt) {
    HistoryBatch b;
    b.events.push_back({eventAt, 0, QStringLiteral("A"), QStringLiteral("state"), {}, {}});
    HistoryReading r;
    r.timeMs = readingAt;
    r.peak[0] = 100;
    b.readings.push_back(r);
    return b;
}

TEST(Store, RetentionDeletesOldReadingsAndYearOldEvents) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    HistoryStore store(path);
    ASSERT_TRUE(store.open(kNow));
    for (const auto& [event, reading] : {std::pair{367, 31}, {300, 29}, {10, 6}})
        ASSERT_TRUE(store.write(eventAndReading(kNow - event * kDay, kNow - reading * kDay)));
    ASSERT_TRUE(store.prune(kNow, 30));

    HistoryReader reader(path);
    const auto events = reader.events({});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events.back().timeMs, kNow - 300 * kDay);
    // The month is drawn from the minute summary, which is kept as long as the seconds.
    const auto daysWithPower = [&] {
        const auto points = reader.series(0, kNow - 40 * kDay, kNow).points;
        return std::count_if(points.begin(), points.end(),
                             [](const HistoryPoint& p) { return p.fwdPeak == 100; });
    };
    EXPECT_EQ(daysWithPower(), 2);
    ASSERT_TRUE(store.prune(kNow, 7)); // as --history-days 7 has it
    EXPECT_EQ(daysWithPower(), 1);
}

// A clock set back writes a second again; its minute holds it once, as written last.
TEST(Store, ASecondWrittenTwiceCountsOnceInItsMinute) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    HistoryStore store(path);
    ASSERT_TRUE(store.open(kNow));
    for (const auto& [second, power] : {std::pair{5, 500}, {5, 300}, {6, 100}}) {
        HistoryBatch b = eventAndReading(kNow, kNow + second * 1000);
        b.readings[0].peak[0] = power;
        b.readings[0].mean[0] = power;
        ASSERT_TRUE(store.write(b));
    }
    const auto points = HistoryReader(path).series(0, kNow - kDay, kNow + kDay).points;
    const auto minute = std::find_if(points.begin(), points.end(),
                                     [](const HistoryPoint& p) { return p.timeMs == kNow; });
    ASSERT_NE(minute, points.end());
    EXPECT_EQ(minute->fwdPeak, 300);
    EXPECT_DOUBLE_EQ(minute->fwdMean, 200.0);
}

void overwrite(const QString& path, qint64 at, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(at);
    f.write(bytes);
}

void ours(const QString& path, int events) {
    HistoryStore s(path);
    ASSERT_TRUE(s.open(kNow));
    for (int i = 0; i < events; ++i)
        ASSERT_TRUE(s.write(eventAndReading(kNow - 1000 - i, kNow - 1000)));
}

struct FileCase {
    const char* name;
    std::function<void(const QString& path)> prepare;
    bool setAside;
};

class ExistingFile : public testing::TestWithParam<FileCase> {};

TEST_P(ExistingFile, IsKeptOrSetAsideForANewOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    GetParam().prepare(path);
    QFile before(path);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray original = before.readAll();

    HistoryStore store(path);
    ASSERT_TRUE(store.open(kNow)) << store.error().toStdString();
    ASSERT_TRUE(store.write(eventAndReading(kNow, kNow)));
    const QStringList aside =
        QDir(dir.path()).entryList({QStringLiteral("history.db.set-aside-20240501-021400*")});
    EXPECT_EQ(aside.size(), GetParam().setAside ? 1 : 0);
    EXPECT_EQ(store.setAsideNotice().isEmpty(), !GetParam().setAside);
    const std::size_t kept = HistoryReader(path).events({}).size();
    EXPECT_EQ(kept, GetParam().setAside ? 1u : 2u);
    if (!aside.isEmpty()) {
        QFile moved(dir.filePath(aside[0]));
        ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
        EXPECT_EQ(moved.readAll(), original);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(History, ExistingFile, testing::Values(
    FileCase{"not_a_database", [](const QString& p) { overwrite(p, 0, QByteArray(4096, 'x')); }, true},
    FileCase{"another_programs_database",
             [](const QString& p) { ASSERT_EQ(QProcess::execute("sqlite3", {p, "CREATE TABLE contacts (call TEXT)"}), 0); }, true},
    // Pages past the header overwritten: the file opens, only a check finds the damage.
    FileCase{"damaged_after_its_header",
             [](const QString& p) { ours(p, 300); overwrite(p, 4096 + 100, QByteArray(3 * 4096, '\xff')); },
             true},
    FileCase{"our_own_file", [](const QString& p) { ours(p, 1); }, false}),
    test::CaseName{});
// clang-format on

// Runs what might open the FIFO on a thread of its own. An open or read that hangs there is
// freed with bytes that are no database, so that the test fails instead of hanging.
template <typename Result>
std::optional<Result> finishesUnaided(const QString& fifo, std::function<Result()> run) {
    auto done = std::make_shared<std::promise<Result>>();
    std::future<Result> finished = done->get_future();
    std::thread([run = std::move(run), done] { done->set_value(run()); }).detach();
    using namespace std::chrono_literals;
    if (finished.wait_for(3s) == std::future_status::ready)
        return finished.get();
    for (int poke = 0; poke < 100 && finished.wait_for(100ms) != std::future_status::ready;
         ++poke) {
        if (const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            fd >= 0) {
            const QByteArray junk(8192, 'x');
            EXPECT_GT(::write(fd, junk.constData(), junk.size()), 0);
            ::close(fd);
        }
    }
    return std::nullopt;
}

struct PlaceCase {
    const char* name;
    // Makes what the name history.db stands for in dir.
    std::function<void(const QDir& dir)> make;
    const char* refusal; // empty: opened
};

class HistoryPlace : public testing::TestWithParam<PlaceCase> {};

// Only a regular file is opened, by the recorder or the window: nothing is made beside a
// device, and a FIFO hangs neither.
TEST_P(HistoryPlace, IsOpenedOnlyWhenItIsARegularFile) {
    QTemporaryDir dir;
    const QDir d(dir.path());
    GetParam().make(d);
    const QString path = d.filePath(QStringLiteral("history.db"));
    const QStringList before = d.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    struct Opened {
        bool written;
        QString storeError;
        bool read;
        QString readerError;
    };
    const auto opened = finishesUnaided<Opened>(d.filePath(QStringLiteral("fifo")), [path] {
        HistoryStore store(path);
        const bool written = store.open(kNow) && store.write(eventAndReading(kNow, kNow));
        HistoryReader reader(path);
        const bool read = reader.open();
        return Opened{written, store.error(), read, reader.error()};
    });
    ASSERT_TRUE(opened);
    if (*GetParam().refusal == 0) {
        EXPECT_TRUE(opened->written && opened->read) << opened->storeError.toStdString();
        return;
    }
    const QString refusal = path + QLatin1String(GetParam().refusal);
    EXPECT_FALSE(opened->written);
    EXPECT_EQ(opened->storeError, refusal);
    EXPECT_FALSE(opened->read);
    EXPECT_EQ(opened->readerError, refusal);
    EXPECT_EQ(d.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
    for (const char* beside : {"-journal", "-wal", "-shm"})
        EXPECT_FALSE(QFile::exists(QStringLiteral("/dev/null") + QLatin1String(beside)));
}

void fifo(const QDir& d, const char* name) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(d.filePath(QLatin1String(name))).constData(), 0600), 0);
}
void link(const QDir& d, const QString& target) {
    ASSERT_TRUE(QFile::link(target, d.filePath(QStringLiteral("history.db"))));
}
constexpr const char* kNotRegular = " is not a regular file; it is left as it is";

// clang-format off
INSTANTIATE_TEST_SUITE_P(History, HistoryPlace, testing::Values(
    PlaceCase{"a_directory", [](const QDir& d) { d.mkdir(QStringLiteral("history.db")); }, " is a directory"},
    PlaceCase{"a_fifo", [](const QDir& d) { fifo(d, "history.db"); }, kNotRegular},
    PlaceCase{"a_link_to_a_fifo", [](const QDir& d) { fifo(d, "fifo"); link(d, d.filePath(QStringLiteral("fifo"))); }, kNotRegular},
    PlaceCase{"a_link_to_a_device", [](const QDir& d) { link(d, QStringLiteral("/dev/null")); }, kNotRegular},
    PlaceCase{"a_link_to_a_regular_file", [](const QDir& d) { ours(d.filePath(QStringLiteral("kept.db")), 1); link(d, d.filePath(QStringLiteral("kept.db"))); }, ""}),
    test::CaseName{});
// clang-format on

} // namespace
} // namespace tarvex
