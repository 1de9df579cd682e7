#pragma once

#include "user_sink.h"

#include <QPointer>

class QMessageBox;

namespace tarvex {

class frmMain;

// What the user must be told, in the main window: problems in a message box each, news in one
// box that later news updates, a lasting condition on the status line.
class WindowSink : public UserSink {
public:
    explicit WindowSink(frmMain& window) : mWindow(window) {}

    void problem(const QString& message) override;
    void notice(const QString& message) override;
    void noticeUpdate(const QString& message) override;
    void status(const QString& text) override;

private:
    frmMain& mWindow;
    // The one box for news: a lock that lasts updates it rather than stacking more.
    QPointer<QMessageBox> mNoticeBox;
};

} // namespace tarvex
