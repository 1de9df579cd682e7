#include "history/csv_writer.h"
#include "history/history_store.h"

#include "../support/printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>

namespace tarvex {
namespace {

TEST(Csv, QuotesAFieldOnlyWhenItMust) {
    EXPECT_EQ(csvField(QStringLiteral("Amp on and operating")),
              QStringLiteral("Amp on and operating"));
    EXPECT_EQ(csvField(QStringLiteral("say \"hi\"")), QStringLiteral("\"say \"\"hi\"\"\""));
    EXPECT_EQ(csvField(QStringLiteral("a\r\nb")), QStringLiteral("\"a\r\nb\""));
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct TargetCase {
    const char* name;
    // The name an export is asked to write, made in dir beside history.db.
    std::function<QString(const QDir& dir)> target;
    bool refused;
};

class ExportTarget : public testing::TestWithParam<TargetCase> {};

// The export never writes over the record it is made from, by whatever name it is reached.
TEST_P(ExportTarget, IsNeverTheHistoryItself) {
    QTemporaryDir dir;
    const QDir d(dir.path());
    const QString history = d.filePath(QStringLiteral("history.db"));
    HistoryStore store(history); // open, so its journal is there beside it
    ASSERT_TRUE(store.open(0));
    const QString target = GetParam().target(d);
    const QByteArray before = contents(history) + contents(history + QStringLiteral("-wal"));

    QString error;
    EXPECT_EQ(saveCsv(target, "time\r\n", &error, history), !GetParam().refused);
    EXPECT_EQ(contents(history) + contents(history + QStringLiteral("-wal")), before);
    if (GetParam().refused)
        EXPECT_TRUE(error.contains(QStringLiteral("is the history file"))) << error.toStdString();
    else
        EXPECT_EQ(contents(target), "time\r\n");
}

QString linked(const QDir& d, bool symbolic) {
    const QString name = d.filePath(QStringLiteral("export.csv"));
    const QByteArray from = QFile::encodeName(d.filePath(QStringLiteral("history.db")));
    const QByteArray to = QFile::encodeName(name);
    EXPECT_EQ(symbolic ? ::symlink(from, to) : ::link(from, to), 0);
    return name;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(History, ExportTarget, testing::Values(
    TargetCase{"its_own_name", [](const QDir& d) { return d.filePath(QStringLiteral("history.db")); }, true},
    TargetCase{"a_symbolic_link_to_it", [](const QDir& d) { return linked(d, true); }, true},
    TargetCase{"a_hard_link_to_it", [](const QDir& d) { return linked(d, false); }, true},
    TargetCase{"its_journal", [](const QDir& d) { return d.filePath(QStringLiteral("history.db-wal")); }, true},
    TargetCase{"another_file", [](const QDir& d) { return d.filePath(QStringLiteral("history.csv")); }, false}),
    test::CaseName{});
// clang-format on

} // namespace
} // namespace tarvex
