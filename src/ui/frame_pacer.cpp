#include "frame_pacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tarvex {

FramePacer::FramePacer(QWidget* window, int frameMs)
    : QObject(window), mWindow(window), mFixedFrameMs(frameMs) {
    mRelease.setSingleShot(true);
    mRelease.setTimerType(Qt::PreciseTimer);
    connect(&mRelease, &QTimer::timeout, this, &FramePacer::release);
    window->installEventFilter(this);
}

int FramePacer::frameMs() const {
    if (mFixedFrameMs > 0)
        return mFixedFrameMs;
    const QScreen* screen = mWindow->screen();
    const double hz = screen ? screen->refreshRate() : 0.0;
    return hz > 0.0 ? std::max(kMinFrameMs, int(std::lround(1000.0 / hz))) : kMinFrameMs;
}

bool FramePacer::eventFilter(QObject* watched, QEvent* event) {
    // Qt posts one UpdateRequest to the window for all the widgets marked dirty since its last
    // repaint, and marks nothing else until that request has been handled.
    if (watched != mWindow || event->type() != QEvent::UpdateRequest || mReleasing)
        return QObject::eventFilter(watched, event);
    const qint64 since = mSinceRepaint.isValid() ? mSinceRepaint.elapsed() : frameMs();
    if (since >= frameMs()) {
        mSinceRepaint.start();
        return false;
    }
    if (!mRelease.isActive())
        mRelease.start(int(frameMs() - since));
    return true;
}

void FramePacer::release() {
    mReleasing = true;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(mWindow, &request);
    mReleasing = false;
    mSinceRepaint.start();
}

} // namespace tarvex
