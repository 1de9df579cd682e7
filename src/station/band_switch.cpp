#include "band_switch.h"

#include "core/band_table.h"
#include "station_log.h"

namespace tarvex {

BandSwitch::BandSwitch(AmplifierItems amp, QObject* parent)
    : QObject(parent), mAmp(std::move(amp)), mBand(mAmp.item(QStringLiteral("band"))) {
    // A report of another band, the one asked for included, is a new starting point.
    if (const ItemPtr reported = mAmp.item(QString::fromLatin1(amp::kReportedBand)))
        connect(reported.get(), &Item::ValueChange, this, [this] { mTriedFrom.reset(); });
}

int BandSwitch::reportedBand() const {
    return mAmp.integer(QString::fromLatin1(amp::kReportedBand));
}

BandSwitch::Result BandSwitch::request(int band, bool force) {
    if (!mBand)
        return Result::NoAmplifier;
    if (band != mWanted) {
        mWanted = band;
        mTriedFrom.reset();
    }
    const int from = reportedBand();
    if (from == band)
        return Result::AlreadyThere;
    if (!force && mTriedFrom == from)
        return Result::AlreadyTried;
    if (mAmp.link() != amp::Link::Up)
        return Result::Unreachable;
    // With the mains off the amplifier can only answer that it is off.
    if (!mAmp.reportsMainsOn())
        return Result::MainsOff;
    if (mRf.present())
        return Result::UnderPower;
    mTriedFrom = from;
    // Still asked for, unanswered: writing the same value again would send nothing.
    if (mAmp.integer(QStringLiteral("band")) == band)
        return Result::AlreadyTried;
    qCDebug(lcStation) << mAmp.title() << "to" << BandTable::name(band);
    mAmp.write(QStringLiteral("band"), static_cast<std::int16_t>(band));
    return Result::Sent;
}

} // namespace tarvex
