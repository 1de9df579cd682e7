#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

namespace tarvex {

class HistoryWiring;
class frmHistory;
class frmMain;

// View > History of the main window: opens the History window on the run's record, shows
// there what keeps the record from the file, and reads the file again while the window
// follows the latest span.
class HistoryBrowser : public QObject {
    Q_OBJECT

public:
    HistoryBrowser(frmMain& window, HistoryWiring& history);
    ~HistoryBrowser() override;

private:
    void window_historyRequested();
    void history_recordProblemChanged();
    void mFollow_timeout();

    frmMain& mWindow;
    HistoryWiring& mHistory;
    QPointer<frmHistory> mHistoryWindow;
    // While the History window shows the latest span, it is read again this often.
    QTimer mFollow;
};

} // namespace tarvex
