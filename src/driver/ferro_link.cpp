// What the user sees while the amplifier cannot be heard: a port that is down and being
// reopened, or an amplifier that has stopped answering. Either way the meters read 0, so no
// stale power is shown as live.
#include "ferro_driver.h"

#include "core/band_table.h"
#include "core/guard.h"

namespace tarvex {

namespace {
const QString kRetrying = QStringLiteral("; retrying");
const QString kNoAnswer = QStringLiteral("No answer from the amplifier");
} // namespace

void FerroDriver::showLinkProblem(const QString& reason) {
    mLinkProblem = reason;
    if (i_message)
        guarded(lcDriver(), "message", [&] { i_message->setValue(reason); });
}

void FerroDriver::setLink(amp::Link link) {
    mLink = link;
    if (i_link)
        guarded(lcDriver(), "link item", [&] { i_link->setValue(static_cast<int>(link)); });
}

void FerroDriver::setState(amp::State state) {
    if (i_state)
        guarded(lcDriver(), "state item", [&] { i_state->setValue(static_cast<int>(state)); });
}

void FerroDriver::mKeeper_down(const QString& reason) {
    // A line cut off by the loss must not run into the first line after the return; commands
    // asked before it must not go out after it.
    mRxBuffer.clear();
    mOutgoing.clear();
    // The reason first: whoever follows the link item finds it on the message line.
    showLinkProblem(reason + kRetrying);
    zeroMeters();
    // Whatever it said last may have changed since: nothing is known until it says again.
    setState(amp::State::Unknown);
    setLink(amp::Link::Down);
    watchSilence();
}

void FerroDriver::mCom_linkUp() {
    // Open, but nothing heard yet: the first line makes it up.
    if (mLink == amp::Link::Down)
        setLink(amp::Link::Silent);
}

void FerroDriver::mKeeper_up() {
    // Whatever the amplifier answers to the start-up list says the rest.
    if (i_message && i_message->Value().toString() == mLinkProblem)
        guarded(lcDriver(), "message", [&] { i_message->setValue(QString()); });
    mLinkProblem.clear();
    // The list queries state only: nothing is switched on, whatever the items still say.
    guarded(lcDriver(), "start-up list", [&] { SendStartupCommands(); });
    watchSilence();
}

void FerroDriver::watchSilence() {
    if (!mSilence)
        return;
    // With the mains off the amplifier's controller still answers: a pulled cable shows then
    // too, before someone asks it to switch on.
    bool on = false;
    guarded(lcDriver(), "silence watch", [&] {
        on = mAmpPort != 0 && mCom && mCom->portOpen() && mKeeper && !mKeeper->isDown();
    });
    mSilence->setWatching(on);
}

void FerroDriver::mSilence_poll() {
    guarded(lcDriver(), "status poll", [&] { SendCommand(QStringLiteral("STAT")); });
}

void FerroDriver::mSilence_silent() {
    if (i_message)
        guarded(lcDriver(), "message", [&] { i_message->setValue(kNoAnswer); });
    zeroMeters();
    setLink(amp::Link::Silent);
}

void FerroDriver::mSilence_answered() {
    if (i_message && i_message->Value().toString() == kNoAnswer)
        guarded(lcDriver(), "message", [&] { i_message->setValue(QString()); });
}

void FerroDriver::mBandDeadline_timeout() {
    const int band = std::exchange(mAwaitedBand, 0);
    if (band == 0)
        return;
    const QString text =
        QStringLiteral("The amplifier did not confirm the change to %1").arg(BandTable::name(band));
    qCInfo(lcDriver).noquote() << QStringLiteral("Amplifier %1 (%2):").arg(mIndex + 1).arg(mDeviceName)
                               << text;
    // A port that is down says why on its own; that reason stays in view.
    if (mLink != amp::Link::Down && i_message)
        guarded(lcDriver(), "message", [&] { i_message->setValue(text); });
}

void FerroDriver::zeroMeters() {
    for (const ItemPtr& meter : {i_pfwd, i_prfl, i_pinp, i_ig, i_ip}) {
        if (meter)
            guarded(lcDriver(), "meter", [&] { meter->setValue(std::int16_t{0}); });
    }
}

} // namespace tarvex
