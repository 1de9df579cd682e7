#include "history/history_reader.h"
#include "history/history_store.h"

#include "../support/printers.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

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

struct PlaceCase {
    const char* name;
    std::function<void(const QString& path)> make; // what the name history.db stands for
    const char* refusal;                           // empty: opened
};

class HistoryPlace : public testing::TestWithParam<PlaceCase> {};

// Only a regular file, or a link to one, is opened, by the recorder and by the window: nothing
// is made beside a device, and a FIFO hangs neither.
TEST_P(HistoryPlace, IsOpenedOnlyWhenItIsARegularFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    GetParam().make(path);
    ::alarm(20); // a hung open ends the run rather than hanging it
    HistoryStore store(path);
    EXPECT_EQ(store.open(kNow) && store.write(eventAndReading(kNow, kNow)), !*GetParam().refusal);
    HistoryReader reader(path);
    EXPECT_EQ(reader.open(), !*GetParam().refusal);
    ::alarm(0);
    const QString refusal = *GetParam().refusal ? path + QLatin1String(GetParam().refusal) : "";
    EXPECT_EQ(store.error(), refusal);
    EXPECT_EQ(reader.error(), refusal);
    EXPECT_FALSE(QFile::exists(QStringLiteral("/dev/null-wal")));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(History, HistoryPlace, testing::Values(
    PlaceCase{"a_directory", [](const QString& p) { QDir().mkdir(p); }, " is a directory"},
    PlaceCase{"a_fifo", [](const QString& p) { ::mkfifo(QFile::encodeName(p).constData(), 0600); }, " is not a regular file; it is left as it is"},
    PlaceCase{"a_link_to_a_device", [](const QString& p) { QFile::link(QStringLiteral("/dev/null"), p); }, " is not a regular file; it is left as it is"},
    PlaceCase{"a_link_to_a_regular_file", [](const QString& p) { ours(p + QStringLiteral(".kept"), 1); QFile::link(p + QStringLiteral(".kept"), p); }, ""}),
    test::CaseName{});
// clang-format on

} // namespace
} // namespace tarvex
