#include "rig_notice.h"

namespace tarvex {

namespace {

// "Connection refused" reads as part of a sentence; "RPRT" or "IPv6 ..." stay as they are.
QString inSentence(QString reason) {
    if (reason.size() > 1 && reason[0].isUpper() && reason[1].isLower())
        reason[0] = reason[0].toLower();
    return reason;
}

} // namespace

RigNotice::RigNotice(const RigClient& rig, std::chrono::milliseconds restoredShownFor,
                     QObject* parent)
    : QObject(parent), mRig(rig) {
    mForget.setSingleShot(true);
    mForget.setInterval(restoredShownFor);
    connect(&mForget, &QTimer::timeout, this, [this] { show({}); });
    connect(&rig, &RigClient::stateChanged, this, &RigNotice::rig_stateChanged);
    rig_stateChanged();
}

void RigNotice::rig_stateChanged() {
    switch (mRig.state()) {
    case RigClient::State::Up:
        if (mDown) {
            show(tr("Radio link restored"));
            mForget.start();
        }
        mDown = false;
        mWasUp = true;
        break;
    case RigClient::State::Lost:
        mDown = true;
        mForget.stop();
        show((mWasUp ? tr("Radio link lost (%1); retrying") : tr("No radio link (%1); retrying"))
                 .arg(inSentence(mRig.detail())));
        break;
    case RigClient::State::Connecting: // a retry: what was said still holds
        break;
    case RigClient::State::Off:
        mDown = false;
        mForget.stop();
        show({});
        break;
    }
}

void RigNotice::show(const QString& text) {
    if (text == mText)
        return;
    mText = text;
    emit changed();
}

} // namespace tarvex
