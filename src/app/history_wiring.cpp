#include "history_wiring.h"

#include "user_sink.h"

#include "core/server_object.h"

namespace tarvex {

HistoryWiring::HistoryWiring(ServerObject& server, UserSink& sink, const QString& path,
                             int readingDays)
    : mSink(sink), mRecorder(path, systemHistoryClock(), readingDays) {
    connect(&mRecorder, &HistoryRecorder::problem, this, &HistoryWiring::recorder_problem);
    connect(&mRecorder, &HistoryRecorder::notice, this,
            [this](const QString& message) { mSink.notice(message); });
    connect(&mRecorder, &HistoryRecorder::lockStatus, this, &HistoryWiring::recorder_lockStatus);
    mRecorder.start();
    // Each start of the server (the first, and after "&Configure...") brings a new hub, and
    // nothing is read while it is stopped.
    mRecorder.follow(server);
}

QString HistoryWiring::recordProblem() const {
    return mLockStatus.isEmpty() ? mProblem : mLockStatus;
}

void HistoryWiring::recorder_problem(const QString& message) {
    mProblem = message;
    mSink.problem(message);
    emit recordProblemChanged();
}

void HistoryWiring::recorder_lockStatus(const QString& status) {
    mLockStatus = status;
    mSink.noticeUpdate(status);
    emit recordProblemChanged();
}

} // namespace tarvex
