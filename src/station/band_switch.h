#pragma once

#include "amplifier_items.h"
#include "rf_watch.h"

#include <QObject>

#include <optional>

namespace tarvex {

// Moves one amplifier to a band by setting its band item, so that the driver's own command
// path sends "BAND n" (and says, after its deadline, when no report confirmed it). Where the
// amplifier is comes from its own band report only: what anyone wrote into the band or
// frequency items proves nothing. A band is asked for once per starting point: an amplifier
// that refuses or stays silent is not asked again and again on every poll, only when the
// wanted band or the band it reports changes. Nothing is sent while the amplifier shows RF.
class BandSwitch : public QObject {
    Q_OBJECT

public:
    enum class Result {
        Sent,
        AlreadyThere, // by its own report
        AlreadyTried,
        MainsOff,
        UnderPower,  // it shows RF, or did within RfWatch::kHold: never switched hot
        Unreachable, // its link is not up; asked again once it is
        NoAmplifier,
    };

    explicit BandSwitch(AmplifierItems amp, QObject* parent = nullptr);

    // force asks again even when this band was already tried from where the amplifier is.
    Result request(int band, bool force = false);
    // The band the amplifier last reported; 0 until it has said.
    int reportedBand() const;
    const AmplifierItems& amplifier() const { return mAmp; }
    const RfWatch& rf() const { return mRf; }
    // Whether a band follower keeps the amplifier on the radio's band: then nobody else
    // chooses its band.
    bool followed() const { return mFollowed; }
    void setFollowed(bool followed) { mFollowed = followed; }

private:
    AmplifierItems mAmp;
    ItemPtr mBand;
    RfWatch mRf{mAmp};
    bool mFollowed = false;
    int mWanted = 0;
    std::optional<int> mTriedFrom; // the reported band mWanted was last asked from
};

} // namespace tarvex
