#pragma once

#include "history/history_recorder.h"

#include <QObject>

namespace tarvex {

class ServerObject;
class UserSink;

// Keeps the history of a run: the recorder follows the server's hub, and what the user must
// know of the record (it stopped, the file is locked) goes to the sink.
class HistoryWiring : public QObject {
    Q_OBJECT

public:
    HistoryWiring(ServerObject& server, UserSink& sink, const QString& path, int readingDays);

    HistoryRecorder& recorder() { return mRecorder; }
    // What keeps the record from the file now: a lock while it lasts, else why it stopped;
    // empty while all is well.
    QString recordProblem() const;

signals:
    void recordProblemChanged();

private:
    void recorder_problem(const QString& message);
    void recorder_lockStatus(const QString& status);

    UserSink& mSink;
    HistoryRecorder mRecorder;
    QString mProblem;
    QString mLockStatus;
};

} // namespace tarvex
