#include "window_sink.h"

#include "ui/frm_main.h"

#include <QMessageBox>

namespace tarvex {

void WindowSink::problem(const QString& message) {
    mWindow.reportProblem(message);
}

void WindowSink::notice(const QString& message) {
    if (!mNoticeBox) {
        // Not modal: the amplifiers keep being served while the user reads it.
        mNoticeBox = new QMessageBox(QMessageBox::Warning, mWindow.windowTitle(), message,
                                     QMessageBox::Ok, &mWindow);
        mNoticeBox->setObjectName(QStringLiteral("msgNotice"));
        mNoticeBox->setAttribute(Qt::WA_DeleteOnClose);
        mNoticeBox->setWindowModality(Qt::NonModal);
    }
    mNoticeBox->setText(message);
    mNoticeBox->show();
}

void WindowSink::noticeUpdate(const QString& message) {
    // A box the user closed stays closed until the next news.
    if (mNoticeBox && !message.isEmpty())
        mNoticeBox->setText(message);
}

void WindowSink::status(const QString& text) {
    mWindow.showStatus(text);
}

} // namespace tarvex
