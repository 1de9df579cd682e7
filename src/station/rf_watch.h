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

    AmplifierItems mAmp;
    bool mAbove = false;
    QElapsedTimer mFell;               // since the power fell to kWatts or below
    std::unique_ptr<QTimer> mSettling; // made on the first fall: most watches never see one
};

} // namespace tarvex
