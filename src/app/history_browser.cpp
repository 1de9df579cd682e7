#include "history_browser.h"

#include "history_wiring.h"

#include "ui/frm_main.h"
#include "ui/history/frm_history.h"

namespace tarvex {

HistoryBrowser::HistoryBrowser(frmMain& window, HistoryWiring& history)
    : mWindow(window), mHistory(history) {
    connect(&window, &frmMain::historyRequested, this, &HistoryBrowser::window_historyRequested);
    connect(&history, &HistoryWiring::recordProblemChanged, this,
            &HistoryBrowser::history_recordProblemChanged);
    mFollow.setInterval(std::chrono::seconds(5));
    connect(&mFollow, &QTimer::timeout, this, &HistoryBrowser::mFollow_timeout);
}

HistoryBrowser::~HistoryBrowser() {
    delete mHistoryWindow.data();
}

void HistoryBrowser::history_recordProblemChanged() {
    if (mHistoryWindow)
        mHistoryWindow->setProblem(mHistory.recordProblem());
}

void HistoryBrowser::window_historyRequested() {
    HistoryRecorder& recorder = mHistory.recorder();
    if (!mHistoryWindow) {
        // Its own top-level window: closing it only hides it, and it goes with the main one.
        mHistoryWindow = new frmHistory(recorder.path(), systemHistoryClock(), &mWindow);
        mHistoryWindow->setProblem(mHistory.recordProblem());
    }
    mHistoryWindow->show();
    // What just happened is read once it is in the file; the window does not wait for the disk.
    recorder.flush();
    recorder.afterWriting(mHistoryWindow, [window = mHistoryWindow] { window->refresh(); });
    mHistoryWindow->raise();
    mHistoryWindow->activateWindow();
    mFollow.start();
}

// The window follows what happens while it is open, unless the user is reading older rows
// or a chosen range; it stops asking once the window is gone or closed.
void HistoryBrowser::mFollow_timeout() {
    if (!mHistoryWindow || !mHistoryWindow->isVisible()) {
        mFollow.stop();
        return;
    }
    if (!mHistoryWindow->followsNow())
        return;
    HistoryRecorder& recorder = mHistory.recorder();
    recorder.flush();
    recorder.afterWriting(mHistoryWindow, [window = mHistoryWindow] {
        if (window->followsNow())
            window->refresh();
    });
}

} // namespace tarvex
