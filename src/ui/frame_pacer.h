#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWidget;

namespace tarvex {

// Lets a top-level window repaint at most once per display frame. Widgets ask for paint with
// update(), which Qt gathers into one request to the window per turn of the event loop; when
// lines arrive every few milliseconds that is still hundreds of repaints a second, far more than
// a screen shows. A request that comes sooner than one frame after the last repaint is held
// back and made once the frame is over, with everything that became dirty meanwhile, so the
// frame shown is what an immediate repaint would show. Nothing that changes a widget waits.
class FramePacer : public QObject {
    Q_OBJECT

public:
    // The shortest time between two repaints; a screen faster than 60 Hz does not shorten it.
    static constexpr int kMinFrameMs = 16;

    // Paces `window` for as long as both live; frameMs 0 takes the interval from the screen.
    explicit FramePacer(QWidget* window, int frameMs = 0);

    int frameMs() const;
    // Whether a repaint is being held back until the current frame ends.
    bool holding() const { return mRelease.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void release();

    QWidget* mWindow;
    int mFixedFrameMs;
    QElapsedTimer mSinceRepaint;
    QTimer mRelease;
    bool mReleasing = false;
};

} // namespace tarvex
