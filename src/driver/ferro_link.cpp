// What the user sees while the port is down and being reopened: the reason on the message
// line, and meters at 0, so no stale power is shown as live.
#include "ferro_driver.h"

#include "core/guard.h"

namespace tarvex {

namespace {
const QString kRetrying = QStringLiteral("; retrying");
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
}

void FerroDriver::mKeeper_up() {
    // Whatever the amplifier answers to the start-up list says the rest.
    if (i_message && i_message->Value().toString() == mLinkProblem)
        guarded(lcDriver(), "message", [&] { i_message->setValue(QString()); });
    mLinkProblem.clear();
    // The list queries state only: nothing is switched on, whatever the items still say.
    guarded(lcDriver(), "start-up list", [&] { SendStartupCommands(); });
}

void FerroDriver::zeroMeters() {
    for (const ItemPtr& meter : {i_pfwd, i_prfl, i_pinp, i_ig, i_ip}) {
        if (meter)
            guarded(lcDriver(), "meter", [&] { meter->setValue(std::int16_t{0}); });
    }
}

} // namespace tarvex
