#include "history_wiring.h"

#include "core/server_object.h"
#include "ui/frm_main.h"
#include "ui/history/frm_history.h"

#include <QMessageBox>

namespace tarvex {

HistoryWiring::HistoryWiring(frmMain& window, const QString& path, int readingDays)
    : mWindow(window), mRecorder(path, systemHistoryClock(), readingDays) {
    connect(&mRecorder, &HistoryRecorder::problem, this, &HistoryWiring::recorder_problem);
    connect(&mRecorder, &HistoryRecorder::notice, this, &HistoryWiring::recorder_notice);
    connect(&mRecorder, &HistoryRecorder::lockStatus, this, &HistoryWiring::recorder_lockStatus);
    connect(&window, &frmMain::historyRequested, this, &HistoryWiring::window_historyRequested);
    mFollow.setInterval(std::chrono::seconds(5));
    connect(&mFollow, &QTimer::timeout, this, &HistoryWiring::mFollow_timeout);
    mRecorder.start();
    // Each start of the server (the first, and after "&Configure...") brings a new hub, and
    // nothing is read while it is stopped. The window started it before anyone could listen.
    if (ServerObject* server = window.server())
        mRecorder.follow(*server);
    else
        mRecorder.setHub(window.hub());
}

HistoryWiring::~HistoryWiring() {
    delete mHistoryWindow.data();
}

QString HistoryWiring::recordProblem() const {
    return mLockStatus.isEmpty() ? mProblem : mLockStatus;
}

void HistoryWiring::recorder_problem(const QString& message) {
    mProblem = message;
    mWindow.reportProblem(message);
    if (mHistoryWindow)
        mHistoryWindow->setProblem(recordProblem());
}

void HistoryWiring::recorder_notice(const QString& message) {
    if (!mNoticeBox) {
        // Not modal: the amplifiers keep being served while the user reads it.
        mNoticeBox = new QMessageBox(QMessageBox::Warning, mWindow.windowTitle(), message,
                                     QMessageBox::Ok, &mWindow);
        mNoticeBox->setObjectName(QStringLiteral("msgHistory"));
        mNoticeBox->setAttribute(Qt::WA_DeleteOnClose);
        mNoticeBox->setWindowModality(Qt::NonModal);
    }
    mNoticeBox->setText(message);
    mNoticeBox->show();
}

void HistoryWiring::recorder_lockStatus(const QString& status) {
    mLockStatus = status;
    // A box the user closed stays closed until the next news.
    if (mNoticeBox && !status.isEmpty())
        mNoticeBox->setText(status);
    if (mHistoryWindow)
        mHistoryWindow->setProblem(recordProblem());
}

void HistoryWiring::window_historyRequested() {
    if (!mHistoryWindow) {
        // Its own top-level window: closing it only hides it, and it goes with the main one.
        mHistoryWindow = new frmHistory(mRecorder.path(), systemHistoryClock(), &mWindow);
        mHistoryWindow->setProblem(recordProblem());
    }
    mHistoryWindow->show();
    // What just happened is read once it is in the file; the window does not wait for the disk.
    mRecorder.flush();
    mRecorder.afterWriting(mHistoryWindow, [window = mHistoryWindow] { window->refresh(); });
    mHistoryWindow->raise();
    mHistoryWindow->activateWindow();
    mFollow.start();
}

// The window follows what happens while it is open, unless the user is reading older rows
// or a chosen range; it stops asking once the window is gone or closed.
void HistoryWiring::mFollow_timeout() {
    if (!mHistoryWindow || !mHistoryWindow->isVisible()) {
        mFollow.stop();
        return;
    }
    if (!mHistoryWindow->followsNow())
        return;
    mRecorder.flush();
    mRecorder.afterWriting(mHistoryWindow, [window = mHistoryWindow] {
        if (window->followsNow())
            window->refresh();
    });
}

} // namespace tarvex
