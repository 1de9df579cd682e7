#include "../support/printers.h"
#include "app/history_commands.h"
#include "history/history_store.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace tarvex {
namespace {

constexpr qint64 kDay = 24LL * 3600 * 1000;
constexpr qint64 kMay1 = 1'714'521'600'000; // 2024-05-01T00:00:00Z

struct ExportCase {
    const char* name;
    bool seeded;
    QStringList args; // OUT stands for the output file
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
    QStringList args{QStringLiteral("tarvex")};
    for (const QString& a : c.args)
        args << (a == u"OUT" ? out : a);
    QString said;
    QTextStream o(&said), e(&said);
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
    ExportCase{"since_a_date", true, {"--export-history", "OUT", "--since", "2024-05-01"}, 0, 2},
    ExportCase{"since_not_a_date", true, {"--export-history", "OUT", "--since", "yesterday"}, 2, -1},
    ExportCase{"no_history_yet", false, {"--export-history", "OUT"}, 1, -1},
    ExportCase{"unwritable_output", true, {"--export-history", "/nonexistent/dir/x.csv"}, 1, -1}),
    test::CaseName{});
// clang-format on

} // namespace
} // namespace tarvex
