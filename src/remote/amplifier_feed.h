#pragma once

#include "confirmation_watch.h"
#include "core/peak_meter.h"
#include "remote_amplifier.h"
#include "remote_clock.h"

#include <QJsonObject>
#include <QObject>

namespace tarvex {

// One amplifier as the pages see it: what it reported, its meters with the peak mark and SWR,
// and what was asked of it and is not confirmed yet. Item changes only mark it dirty; the
// feed's tick builds its state once and hands out what changed since the last tick.
class AmplifierFeed : public QObject {
    Q_OBJECT

public:
    // Below this forward power (W) an SWR figure means nothing and reads "—".
    static constexpr int kSwrMinForwardW = 10;

    AmplifierFeed(HubPtr hub, int index, RemoteClock clock, QObject* parent = nullptr);

    const RemoteAmplifier& amplifier() const { return mAmp; }
    ConfirmationWatch& watch() { return mWatch; }

    // The state as of the last tick (built at once on construction).
    const QJsonObject& state() const { return mState; }
    // The state as it is now, for a page that needs all of it; what the next tick hands out
    // as changed is not affected.
    QJsonObject current(qint64 now) { return build(now); }
    // Rebuilds the state when anything may have changed and returns the fields that differ
    // from the previous one ("number" always among them); an empty object when nothing did.
    QJsonObject takeChanges(qint64 now);
    // A command was asked: the watch changed, so the next tick must look.
    void markDirty() { mDirty = true; }

    // The SWR figure as shown: one decimal, "—" below kSwrMinForwardW.
    static QString swrText(int forward, int reflected);

private:
    QJsonObject build(qint64 now);
    void follow(const char* base);

    RemoteAmplifier mAmp;
    RemoteClock mClock;
    PeakMeter mPeak{1000.0}; // W/s: a full-power peak is gone in 2 s
    ConfirmationWatch mWatch;
    ItemPtr mForward;
    QJsonObject mState;
    bool mDirty = true;
};

} // namespace tarvex
