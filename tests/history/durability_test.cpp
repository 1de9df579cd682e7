#include "history/history_reader.h"

#include "../support/wait_until.h"

#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <set>

namespace tarvex {
namespace {

std::set<QString> recordedTexts(const QString& path) {
    std::set<QString> texts;
    HistoryReader reader(path);
    for (const HistoryEvent& e : reader.events({}))
        texts.insert(e.text);
    return texts;
}

// The child makes an event every 50 ms and prints its number and time. Killed without warning,
// it must have lost nothing made more than a second before.
TEST(Durability, KillNineLosesNothingOlderThanASecond) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    QProcess child;
    child.start(QStringLiteral(TARVEX_HISTORY_CHILD), {path});
    ASSERT_TRUE(child.waitForStarted());
    ASSERT_TRUE(test::waitUntil([&] { return recordedTexts(path).size() >= 60; }, 30'000));
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    const qint64 killedAt = QDateTime::currentMSecsSinceEpoch();
    ASSERT_TRUE(child.waitForFinished());

    const std::set<QString> kept = recordedTexts(path);
    int checked = 0;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 2 || parts[1].toLongLong() > killedAt - 1000)
            continue;
        ++checked;
        EXPECT_TRUE(kept.count(QStringLiteral("tick ") + QString::fromLatin1(parts[0])))
            << "event " << parts[0].toStdString() << " was lost";
    }
    EXPECT_GE(checked, 20);
}

} // namespace
} // namespace tarvex
