#include "../support/printers.h"
#include "app/history_commands.h"
#include "history/history_store.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/stat.h>

namespace tarvex {
namespace {

constexpr qint64 kDay = 24LL * 3600 * 1000;
constexpr qint64 kMay1 = 1'714'521'600'000; // 2024-05-01T00:00:00Z

struct ExportCase {
    const char* name;
    bool seeded;
    QStringList args; // OUT stands for a new file, LINK for a link to history.db, FIFO for one
    int status;
    int lines; // in the written file, header included; -1 when none is written
};

class ExportHistory : public testing::TestWithParam<ExportCase> {};

TEST_P(ExportHistory, WritesTheEventsOrSaysWhyNot) {
    const ExportCase& c = GetParam();
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("history.db"));
    const QString out = dir.filePath(QStringLiteral("events.csv"));
    if (c.seeded) {
        HistoryStore store(db);
        ASSERT_TRUE(store.open(kMay1));
        HistoryBatch b;
        b.events = {{kMay1 - kDay, 0, "Tower", "state", {}, "Operate"},
                    {kMay1 + 8'047'250, 0, "Tower, left", "fault", 14, "Excessive refl. power"}};
        ASSERT_TRUE(store.write(b));
    }
    ASSERT_TRUE(QFile::link(db, dir.filePath("LINK")) &&
                mkfifo(QFile::encodeName(dir.filePath("FIFO")), 0600) == 0);
    QStringList args{QStringLiteral("tarvex")};
    for (const QString& a : c.args)
        args << (a == u"OUT" ? out : a == u"LINK" || a == u"FIFO" ? dir.filePath(a) : a);
    QBuffer o;
    o.open(QIODevice::WriteOnly);
    QString said;
    QTextStream e(&said);
    EXPECT_EQ(HistoryCommands::run(args, db, o, e), c.status) << said.toStdString();
    QFile written(out);
    if (c.lines < 0) {
        EXPECT_FALSE(written.exists());
        return;
    }
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    EXPECT_EQ(text.count("\r\n"), c.lines);
    // RFC 4180: a header, CR LF, a field with a comma quoted, no code left empty.
    EXPECT_TRUE(text.startsWith("time,amplifier,name,kind,code,text\r\n"));
    EXPECT_EQ(text.contains(",1,Tower,state,,Operate\r\n"), c.lines == 3); // numbered from 1
    EXPECT_TRUE(text.endsWith(
        "2024-05-01T02:14:07.250Z,1,\"Tower, left\",fault,14,Excessive refl. power\r\n"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, ExportHistory, testing::Values(
    ExportCase{"every_event", true, {"--export-history", "OUT"}, 0, 3},
    ExportCase{"since_a_time", true, {"--export-history", "OUT", "--since", "2024-05-01T00:00Z"}, 0, 2},
    ExportCase{"since_not_a_date", true, {"--export-history", "OUT", "--since", "yesterday"}, 2, -1},
    ExportCase{"to_the_history_itself", true, {"--export-history", "LINK"}, 2, -1},
    ExportCase{"to_a_fifo", true, {"--export-history", "FIFO"}, 1, -1},
    ExportCase{"no_history_yet", false, {"--export-history", "OUT"}, 1, -1},
    ExportCase{"unwritable_output", true, {"--export-history", "/nonexistent/dir/x.csv"}, 1, -1}),
    test::CaseName{});
// clang-format on

// One trip of amplifier 2: listed, then written line by line with the SWR of each.
TEST(ExportTrip, WritesItsReadingsWithTheirSwr) {
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("history.db"));
    const qint64 at = kMay1 + 8'047'250; // 02:14:07.250Z
    HistoryBatch b;
    b.trips.push_back({0, at, 1, "Shack", "SWR 3.0, keyed off", {}});
    b.trips[0].readings = {
        {at - 4998, {1000, 20, 50, 180, 800}}, {at + 2, {1000, 250, 50, 180, 800}}, {at + 4, {}}};
    HistoryStore store(db);
    ASSERT_TRUE(store.open(kMay1) && store.write(b));
    const auto run = [&](const QStringList& args) {
        QBuffer o;
        o.open(QIODevice::WriteOnly);
        QTextStream e(stderr);
        const int status = HistoryCommands::run(QStringList{"tarvex"} + args, db, o, e);
        return std::pair(status, o.data());
    };
    EXPECT_EQ(
        run({"--list-trips"}),
        std::pair(0, QByteArray("id,time,amplifier,name,cause\r\n"
                                "1,2024-05-01T02:14:07.250Z,2,Shack,\"SWR 3.0, keyed off\"\r\n")));
    EXPECT_EQ(run({"--export-history", "-", "--trip", "1"}),
              std::pair(0, QByteArray("time,amplifier,from_trip_ms,pfwd,prfl,pinp,ig,ip,swr\r\n"
                                      "2024-05-01T02:14:02.252Z,2,-4998,1000,20,50,180,800,1.33\r\n"
                                      "2024-05-01T02:14:07.252Z,2,2,1000,250,50,180,800,3.00\r\n"
                                      "2024-05-01T02:14:07.254Z,2,4,0,0,0,0,0,1.00\r\n")));
    EXPECT_EQ(run({"--export-history", "-", "--trip", "2"}).first, 1) << "no such trip";
    EXPECT_EQ(run({"--export-history", "-", "--trip", "first"}).first, 2);
    EXPECT_EQ(run({"--export-history", "-", "--trip", "1", "--since", "2024-05-01"}).first, 2);
}

struct SinceCase {
    const char* name;
    QString text;
    std::optional<qint64> ms; // nothing: refused
};

class SinceTime : public testing::TestWithParam<SinceCase> {};

// Local time five hours behind UTC, so that a zone taken from the wrong place shows.
TEST_P(SinceTime, ReadsADateOrADateAndTimeExactly) {
    EXPECT_EQ(HistoryCommands::sinceTime(GetParam().text, QTimeZone(-5 * 3600)), GetParam().ms);
}

constexpr qint64 kH = 3'600'000;
constexpr qint64 kLocalMay1 = kMay1 + 5 * kH;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Texts, SinceTime, testing::Values(
    SinceCase{"date_is_local_midnight", "2024-05-01", kLocalMay1},
    SinceCase{"minutes", "2024-05-01T02:14", kLocalMay1 + 2 * kH + 14 * 60'000},
    SinceCase{"seconds", "2024-12-06T23:58:12", kLocalMay1 + 219 * 24 * kH + 86'292'000},
    SinceCase{"utc", "2024-05-01T02:14:07Z", kMay1 + 2 * kH + 847'000},
    SinceCase{"west", "2024-05-01T02:00-09:30", kMay1 + 11 * kH + 30 * 60'000},
    SinceCase{"hour_25", "2024-05-01T25:00", {}},
    SinceCase{"line_break_after", "2024-05-01\n", {}}),
    test::CaseName{});
// clang-format on

} // namespace
} // namespace tarvex
