#include "history/history_reader.h"
#include "history/history_store.h"

#include "../support/printers.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace tarvex {
namespace {

constexpr qint64 kNow = 1'714'529'640'000; // 2024-05-01T02:14:00Z
constexpr qint64 kDay = 24LL * 3600 * 1000;

HistoryBatch oneEventAndReading(qint64 eventAt, qint64 readingAt) {
    HistoryBatch b;
    b.events.push_back({eventAt, 0, QStringLiteral("A"), QStringLiteral("state"), {}, {}});
    HistoryReading r;
    r.timeMs = readingAt;
    r.peak[0] = 100;
    b.readings.push_back(r);
    return b;
}

std::size_t eventCount(const QString& path) {
    HistoryReader reader(path);
    return reader.events({}).size();
}

TEST(Store, RetentionDeletesOldReadingsAndYearOldEvents) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    HistoryStore store(path);
    ASSERT_TRUE(store.open(kNow));
    ASSERT_TRUE(store.write(oneEventAndReading(kNow - 367 * kDay, kNow - 31 * kDay)));
    ASSERT_TRUE(store.write(oneEventAndReading(kNow - 300 * kDay, kNow - 29 * kDay)));
    ASSERT_TRUE(store.write(oneEventAndReading(kNow - 10 * kDay, kNow - 6 * kDay)));
    ASSERT_TRUE(store.prune(kNow, 30));

    HistoryReader reader(path);
    const auto events = reader.events({});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events.back().timeMs, kNow - 300 * kDay);
    const auto month = [&] { return reader.series(0, kNow - 40 * kDay, kNow).points; };
    const auto peaks = [](const std::vector<HistoryPoint>& points) {
        return std::count_if(points.begin(), points.end(),
                             [](const HistoryPoint& p) { return p.fwdPeak > 0; });
    };
    EXPECT_EQ(peaks(month()), 2);
    // A shorter keeping time, as --history-days sets it.
    ASSERT_TRUE(store.prune(kNow, 7));
    EXPECT_EQ(peaks(month()), 1);
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
    before.close();

    HistoryStore store(path);
    ASSERT_TRUE(store.open(kNow)) << store.error().toStdString();
    ASSERT_TRUE(store.write(oneEventAndReading(kNow, kNow)));
    const QStringList aside =
        QDir(dir.path()).entryList({QStringLiteral("history.db.set-aside-20240501-021400*")});
    if (GetParam().setAside) {
        EXPECT_FALSE(store.setAsideNotice().isEmpty());
        ASSERT_EQ(aside.size(), 1);
        QFile kept(dir.filePath(aside[0]));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), original);
        EXPECT_EQ(eventCount(path), 1u);
    } else {
        EXPECT_TRUE(store.setAsideNotice().isEmpty());
        EXPECT_TRUE(aside.isEmpty());
        EXPECT_EQ(eventCount(path), 2u);
    }
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void sqlite(const QString& path, const QStringList& statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), path);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString& s : statements)
            ASSERT_TRUE(q.exec(s)) << s.toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase(path);
}

INSTANTIATE_TEST_SUITE_P(
    History, ExistingFile,
    testing::Values(FileCase{"not_a_database",
                             [](const QString& p) { writeBytes(p, QByteArray(4096, 'x')); }, true},
                    FileCase{"another_programs_database",
                             [](const QString& p) {
                                 sqlite(p, {QStringLiteral("CREATE TABLE contacts (call TEXT)")});
                             },
                             true},
                    FileCase{"damaged_after_its_header",
                             [](const QString& p) {
                                 {
                                     HistoryStore s(p);
                                     ASSERT_TRUE(s.open(kNow));
                                     HistoryBatch many;
                                     for (int i = 0; i < 2000; ++i)
                                         many.events.push_back({kNow - i,
                                                                0,
                                                                QStringLiteral("A"),
                                                                QStringLiteral("message"),
                                                                {},
                                                                {}});
                                     ASSERT_TRUE(s.write(many));
                                 }
                                 sqlite(p, {QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")});
                                 QFile f(p);
                                 ASSERT_TRUE(f.open(QIODevice::ReadWrite));
                                 f.seek(4096 + 100);
                                 f.write(QByteArray(3 * 4096, '\xff'));
                             },
                             true},
                    FileCase{"our_own_file",
                             [](const QString& p) {
                                 HistoryStore s(p);
                                 ASSERT_TRUE(s.open(kNow));
                                 ASSERT_TRUE(s.write(oneEventAndReading(kNow - 1000, kNow - 1000)));
                             },
                             false}),
    test::CaseName{});

} // namespace
} // namespace tarvex
