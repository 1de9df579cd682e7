#include "band_switch.h"

#include "core/band_table.h"
#include "station_log.h"

namespace tarvex {

BandSwitch::BandSwitch(AmplifierItems amp, std::chrono::milliseconds confirmWithin, QObject* parent)
    : QObject(parent), mAmp(std::move(amp)), mBand(mAmp.item(QStringLiteral("band"))),
      mFreq(mAmp.item(QStringLiteral("freq"))) {
    mDeadline.setSingleShot(true);
    mDeadline.setInterval(confirmWithin);
    connect(&mDeadline, &QTimer::timeout, this, &BandSwitch::mDeadline_timeout);
    // The band report carries the frequency too: a band item that merely still reads what we
    // wrote into it proves nothing, a frequency inside the new band does.
    for (const ItemPtr& it : {mBand, mFreq}) {
        if (it)
            connect(it.get(), &Item::ValueChange, this, &BandSwitch::check);
    }
}

BandSwitch::Result BandSwitch::request(int band, bool force) {
    if (!mBand)
        return Result::NoAmplifier;
    const int current = mAmp.integer(QStringLiteral("band"));
    if (current == band)
        return Result::AlreadyThere;
    if (!force && mTried == std::pair{band, current})
        return Result::AlreadyTried;
    // With the mains off the amplifier can only answer that it is off.
    if (!mAmp.flag(QStringLiteral("ac")))
        return Result::MainsOff;
    mTried = std::pair{band, current};
    mAwaiting = band;
    qCDebug(lcStation) << mAmp.title() << "to" << BandTable::name(band);
    mDeadline.start();
    mAmp.write(QStringLiteral("band"), static_cast<std::int16_t>(band));
    check();
    return Result::Sent;
}

void BandSwitch::check() {
    if (mAwaiting == 0 || mAmp.integer(QStringLiteral("band")) != mAwaiting ||
        !BandTable::containsKhz(mAwaiting, mAmp.integer(QStringLiteral("freq"))))
        return;
    mAwaiting = 0;
    mTried.reset();
    mDeadline.stop();
}

void BandSwitch::mDeadline_timeout() {
    const int band = std::exchange(mAwaiting, 0);
    if (band == 0)
        return;
    const QString text = QStringLiteral("%1 did not confirm the change to %2")
                             .arg(mAmp.title(), BandTable::name(band));
    qCInfo(lcStation).noquote() << text;
    mAmp.write(QStringLiteral("message"), text);
    emit unconfirmed(band);
}

} // namespace tarvex
