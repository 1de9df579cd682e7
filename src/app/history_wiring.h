#pragma once

#include "history/history_recorder.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QMessageBox;

namespace tarvex {

class frmMain;
class frmHistory;

// Keeps the history for the main window: the recorder follows the server's hub, its problems
// reach the user through the window, and View > History opens the History window on the file.
class HistoryWiring : public QObject {
    Q_OBJECT

public:
    HistoryWiring(frmMain& window, const QString& path, int readingDays);
    ~HistoryWiring() override;

    HistoryRecorder& recorder() { return mRecorder; }

private:
    void window_historyRequested();
    void recorder_problem(const QString& message);
    void recorder_notice(const QString& message);
    void recorder_lockStatus(const QString& status);
    // What the History window shows of the record: a lock while it lasts, else a stop.
    QString recordProblem() const;
    void mFollow_timeout();

    frmMain& mWindow;
    HistoryRecorder mRecorder;
    QString mProblem;
    QString mLockStatus;
    // The one box for the record's news: a lock that lasts updates it rather than stacking more.
    QPointer<QMessageBox> mNoticeBox;
    QPointer<frmHistory> mHistoryWindow;
    // While the History window shows the latest span, it is read again this often.
    QTimer mFollow;
};

} // namespace tarvex
