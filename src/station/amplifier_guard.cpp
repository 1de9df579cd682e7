#include "amplifier_guard.h"

#include "rig_client.h"
#include "station_log.h"

namespace tarvex {

namespace {
const QString kForward = QStringLiteral("pfwd");
const QString kOper = QStringLiteral("oper");
} // namespace

AmplifierGuard::AmplifierGuard(const AmplifierItems& amp, std::function<RigClient*()> rig,
                               AlarmClock clock, QObject* parent)
    : QObject(parent), mAmp(amp), mRig(std::move(rig)), mClock(std::move(clock)),
      mUnkeyWait(mClock.makeTimer()), mResume(mClock.makeTimer()) {}

AmplifierGuard::~AmplifierGuard() {
    disconnect(mForwardWatch);
}

QString AmplifierGuard::trip(const AlarmSettings& settings, std::function<bool()> stillHolds) {
    mDone = act(settings, std::move(stillHolds));
    return mDone;
}

QString AmplifierGuard::act(const AlarmSettings& settings, std::function<bool()> stillHolds) {
    if (!settings.protect)
        return {};
    mResume->stop();
    mMinForwardW = settings.minForwardW;
    mStandbyDue = true;
    QString done;
    RigClient* rig = mRig ? mRig() : nullptr;
    disconnect(mPttAnswer);
    if (rig && rig->state() == RigClient::State::Up && rig->setPtt(false)) {
        done = kEnded + QStringLiteral(", standby");
        // Said before the radio answers, so taken back when it refuses: the amplifier still goes
        // to standby once its forward power falls or the wait is over.
        mPttAnswer = connect(rig, &RigClient::pttSetAnswered, this,
                             [this](bool ended, const QByteArray& reply) {
                                 disconnect(mPttAnswer);
                                 if (ended || !mDone.contains(kEnded))
                                     return;
                                 mDone.replace(kEnded,
                                               QStringLiteral("the radio did not end the "
                                                              "transmission (%1)")
                                                   .arg(QString::fromLatin1(reply)));
                                 emit said(mDone);
                             });
        waitForRfToFall();
    } else {
        done = QStringLiteral("standby");
        standby();
    }
    const qint64 now = mClock.now();
    while (!mTrips.empty() && now - mTrips.front() >= kTripWindow.count())
        mTrips.pop_front();
    mTrips.push_back(now);
    if (!settings.resume)
        return done;
    const QString before = done.chopped(QStringLiteral("standby").size());
    if (static_cast<int>(mTrips.size()) > kMaxReturns) {
        // Whatever keeps tripping it is not going away by itself.
        mLatched = true;
        return before + QStringLiteral("stays in standby after %1 trips in %2 minutes")
                            .arg(mTrips.size())
                            .arg(kTripWindow.count() / 60000);
    }
    if (mLatched)
        return before + QStringLiteral("stays in standby until the alarm is acknowledged");
    mStillHolds = std::move(stillHolds);
    mResume->start(kResumeAfter, [this] { resume(); });
    return done + QStringLiteral("; back to operate in %1 s").arg(kResumeAfter.count() / 1000);
}

void AmplifierGuard::waitForRfToFall() {
    if (mAmp.integer(kForward) < mMinForwardW) {
        standby();
        return;
    }
    disconnect(mForwardWatch);
    if (const ItemPtr forward = mAmp.item(kForward))
        mForwardWatch =
            connect(forward.get(), &Item::ValueChange, this, &AmplifierGuard::forward_ValueChange);
    mUnkeyWait->start(kUnkeyWait, [this] { standby(); });
}

void AmplifierGuard::forward_ValueChange() {
    // Not from inside the driver's report: it takes no command while it reads one.
    if (mAmp.integer(kForward) < mMinForwardW)
        QMetaObject::invokeMethod(this, &AmplifierGuard::standby, Qt::QueuedConnection);
}

void AmplifierGuard::standby() {
    disconnect(mForwardWatch);
    mUnkeyWait->stop();
    if (!std::exchange(mStandbyDue, false))
        return;
    qCWarning(lcStation).noquote() << mAmp.title() << "guard: standby";
    mAmp.write(kOper, false);
}

void AmplifierGuard::resume() {
    QString why;
    if (mAmp.link() != amp::Link::Up)
        why = QStringLiteral("the amplifier cannot be reached");
    else if (mStillHolds && mStillHolds())
        why = QStringLiteral("the condition still holds");
    else if (mAmp.state() != amp::State::Standby)
        why = QStringLiteral("it is no longer in standby");
    if (!why.isEmpty()) {
        qCWarning(lcStation).noquote() << mAmp.title() << "guard: stays in standby:" << why;
        emit said(QStringLiteral("standby; stays in standby: %1").arg(why));
        return;
    }
    qCWarning(lcStation).noquote() << mAmp.title() << "guard: back to operate";
    mAmp.write(kOper, true);
    emit said(
        QStringLiteral("standby; back to operate after %1 s").arg(kResumeAfter.count() / 1000));
}

} // namespace tarvex
