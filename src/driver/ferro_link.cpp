// What the user sees while the amplifier cannot be heard: a port that is down and being
// reopened, or an amplifier that has stopped answering. Either way the meters read 0, so no
// stale power is shown as live.
#include "ferro_driver.h"

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

void FerroDriver::mKeeper_down(const QString& reason) {
    // A line cut off by the loss must not run into the first line after the return.
    mRxBuffer.clear();
    showLinkProblem(reason + kRetrying);
    zeroMeters();
    watchSilence();
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
    bool on = false;
    guarded(lcDriver(), "silence watch", [&] {
        on = i_ac && i_ac->Value().toBoolean() && mCom && mCom->portOpen() && mKeeper &&
             !mKeeper->isDown();
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
}

void FerroDriver::mSilence_answered() {
    if (i_message && i_message->Value().toString() == kNoAnswer)
        guarded(lcDriver(), "message", [&] { i_message->setValue(QString()); });
}

void FerroDriver::zeroMeters() {
    for (const ItemPtr& meter : {i_pfwd, i_prfl, i_pinp, i_ig, i_ip}) {
        if (meter)
            guarded(lcDriver(), "meter", [&] { meter->setValue(std::int16_t{0}); });
    }
}

} // namespace tarvex
