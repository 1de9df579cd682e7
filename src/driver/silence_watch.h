#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>

namespace tarvex {

// Notices an amplifier that has fallen silent. While watching, a quiet spell of pollAfter asks
// for a status report (poll); no answer within giveUpAfter more makes it silent, and the next
// line heard ends that. A silent amplifier is asked again after each further quiet spell, so
// one that recovers without reporting on its own is still found. One single-shot timer, moved
// on only when it fires: a line costs a clock read, and an amplifier that keeps reporting is
// never polled.
class SilenceWatch : public QObject {
    Q_OBJECT

public:
    SilenceWatch(std::chrono::milliseconds pollAfter, std::chrono::milliseconds giveUpAfter,
                 QObject* parent = nullptr);

    // Starting counts the quiet spell from now; stopping forgets any poll in flight.
    void setWatching(bool on);
    // A line arrived from the amplifier.
    void heard();
    bool isSilent() const { return mSilent; }

signals:
    void poll();
    void silent();
    void answered();

private:
    void timeout();
    void arm(qint64 ms);

    const qint64 mPollAfter;
    const qint64 mGiveUpAfter;
    QTimer mTimer;
    QElapsedTimer mSinceHeard;
    bool mWatching = false;
    bool mPolled = false;
    bool mSilent = false;
};

} // namespace tarvex
