#pragma once

#include "amplifier_items.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

namespace tarvex {

// Whether one amplifier shows RF, by its own forward power meter, whatever the radio says:
// above kWatts now, or within the last kHold. Relays are not to move under power.
class RfWatch : public QObject {
    Q_OBJECT

public:
    static constexpr int kWatts = 10;
    static constexpr std::chrono::milliseconds kHold{500};

    explicit RfWatch(const AmplifierItems& amp, QObject* parent = nullptr);

    bool present() const {
        return mAbove ||
               (mFell.isValid() && std::chrono::nanoseconds(mFell.nsecsElapsed()) < kHold);
    }

signals:
    // The power has stayed at kWatts or below for kHold.
    void cleared();

private:
    void forward_ValueChange();
    void settling_Timeout();

    AmplifierItems mAmp;
    ItemPtr mForward;
    bool mAbove = false;
    QElapsedTimer mFell; // since the power fell to kWatts or below
    // Made on the first fall: most watches never see one. Not stopped when the power rises
    // again, which on speech it does on nearly every metering line: see settling_Timeout.
    std::unique_ptr<QTimer> mSettling;
};

} // namespace tarvex
