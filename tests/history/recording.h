#pragma once

#include "history/history_reader.h"
#include "history/history_recorder.h"

#include <QTemporaryDir>

#include <functional>

namespace tarvex::test {

inline constexpr qint64 kStart = 1'714'529'640'000; // 2024-05-01T02:14:00Z

// A recorder on a fresh file whose clock the test moves.
struct Recording {
    QTemporaryDir dir;
    qint64 now = kStart;
    HistoryRecorder recorder{dir.filePath(QStringLiteral("history.db")), [this] { return now; }};

    // before: what is done to the file before the recorder starts.
    explicit Recording(const std::function<void(const QString&)>& before = {}) {
        if (before)
            before(recorder.path());
        recorder.start();
    }
    HistoryReader written() {
        recorder.flush();
        recorder.waitForWriter();
        return HistoryReader(recorder.path());
    }
    std::vector<HistoryEvent> events() {
        const auto newestFirst = written().events({});
        return {newestFirst.rbegin(), newestFirst.rend()};
    }
};

} // namespace tarvex::test
