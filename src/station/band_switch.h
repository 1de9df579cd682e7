#pragma once

#include "amplifier_items.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <optional>
#include <utility>

namespace tarvex {

// Moves one amplifier to a band by setting its band item, so that the driver's own command
// path sends "BAND n", and watches for the amplifier's band report. A band is asked for once
// per starting point: an amplifier that refuses or stays silent is not asked again and again
// on every poll, only when the wanted band or the band it reports changes.
class BandSwitch : public QObject {
    Q_OBJECT

public:
    enum class Result { Sent, AlreadyThere, AlreadyTried, MainsOff, NoAmplifier };

    explicit BandSwitch(AmplifierItems amp,
                        std::chrono::milliseconds confirmWithin = std::chrono::seconds(3),
                        QObject* parent = nullptr);

    // force asks again even when this band was already tried from where the amplifier is.
    Result request(int band, bool force = false);
    const AmplifierItems& amplifier() const { return mAmp; }

signals:
    // The report did not come in time; the message line says so too.
    void unconfirmed(int band);

private:
    void check();
    void mDeadline_timeout();

    AmplifierItems mAmp;
    ItemPtr mBand;
    ItemPtr mFreq;
    int mAwaiting = 0;
    std::optional<std::pair<int, int>> mTried; // {band asked for, band reported before}
    QTimer mDeadline;
};

} // namespace tarvex
