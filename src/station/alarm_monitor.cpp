#include "alarm_monitor.h"

#include "amplifier_guard.h"
#include "station_log.h"

#include "core/guard.h"
#include "core/item_info.h"
#include "core/swr.h"

#include <QMetaObject>

namespace tarvex {

namespace {

const QString kForward = QStringLiteral("pfwd");
const QString kReflected = QStringLiteral("prfl");
const QString kInput = QStringLiteral("pinp");
const QString kFault = QStringLiteral("fault");

ItemPtr makeItem(const AmplifierItems& amp, const char* base, const ItemInfo& info,
                 const Variant& first) {
    if (!amp.hub())
        return nullptr;
    ItemPtr it = amp.hub()->AttachItem(QString::number(amp.index()) + QLatin1String(base));
    it->setInfo(std::make_shared<ItemInfo>(info));
    // A monitor made again on the same hub keeps what stands.
    if (it->Value().isEmpty())
        guarded(lcStation(), "alarm item", [&] { it->setValue(first); });
    return it;
}

// Acknowledging is "any write": the item keeps no type, and goes back to an empty text after
// each, so that the next write is a change even when it writes the same value.
const QString kAckIdle = QStringLiteral("");

} // namespace

AlarmMonitor::AlarmMonitor(const AmplifierItems& amp, const AlarmSettings& settings,
                           AlarmClock clock, QObject* parent)
    : QObject(parent), mAmp(amp), mSettings(settings), mClock(std::move(clock)) {
    mText = makeItem(mAmp, amp::kAlarmText, ItemInfo{0, 1, ItemInfo::kStr, 0, {}}, QString());
    mAlarm = makeItem(mAmp, amp::kAlarm,
                      ItemInfo{0, 2, ItemInfo::kInt, 0, QString::fromLatin1(amp::kAlarmNames)},
                      std::int16_t{0});
    mAck = makeItem(mAmp, amp::kAlarmAck, ItemInfo{0, 1, 12, 0, {}}, kAckIdle);
    mSwrWarning.fire = &AlarmMonitor::swrWarningHeld;
    mSwrTrip.fire = &AlarmMonitor::swrTripHeld;
    mDrive.fire = &AlarmMonitor::driveHeld;
    for (Hold* hold : {&mSwrWarning, &mSwrTrip, &mDrive})
        hold->timer = mClock.makeTimer();
    mForward = mAmp.item(kForward);
    mReflected = mAmp.item(kReflected);
    mInput = mAmp.item(kInput);
    for (const ItemPtr& it : {mForward, mReflected, mInput}) {
        if (it)
            connect(it.get(), &Item::ValueChange, this, [this] { mEvaluate.request(); });
    }
    const auto follow = [this](const QString& base, void (AlarmMonitor::*handler)()) {
        if (const ItemPtr it = mAmp.item(base))
            connect(it.get(), &Item::ValueChange, this, handler);
    };
    follow(kFault, &AlarmMonitor::fault_ValueChange);
    follow(QString::fromLatin1(amp::kState), &AlarmMonitor::state_ValueChange);
    follow(QString::fromLatin1(amp::kLink), &AlarmMonitor::link_ValueChange);
    if (mAck)
        connect(mAck.get(), &Item::ValueChange, this, &AlarmMonitor::ack_ValueChange);
    mOperating = mAmp.state() == amp::State::Operate;
    evaluate();
}

AlarmMonitor::~AlarmMonitor() = default;

void AlarmMonitor::apply(const AlarmSettings& settings) {
    if (settings == mSettings)
        return;
    mSettings = settings;
    // New levels start new holds.
    for (Hold* hold : {&mSwrWarning, &mSwrTrip, &mDrive}) {
        hold->holds = false;
        hold->armed = false;
        hold->timer->stop();
    }
    evaluate();
}

void AlarmMonitor::setGuard(AmplifierGuard* guard) {
    if (mGuard)
        disconnect(mGuard, nullptr, this, nullptr);
    mGuard = guard;
    if (mGuard)
        connect(mGuard, &AmplifierGuard::said, this, &AlarmMonitor::guard_said);
}

amp::Alarm AlarmMonitor::level() const {
    std::int32_t v = 0;
    if (!mAlarm || mAlarm->Value().tryToLong(v) != 0)
        return amp::Alarm::None;
    return v == 1 ? amp::Alarm::Warning : v == 2 ? amp::Alarm::Trip : amp::Alarm::None;
}

int AlarmMonitor::meter(const ItemPtr& it) const {
    std::int32_t v = 0;
    return it && it->Value().tryToLong(v) == 0 ? v : 0;
}

double AlarmMonitor::swrNow() const {
    return swr(meter(mForward), meter(mReflected));
}

bool AlarmMonitor::swrCounts() const {
    return meter(mForward) >= mSettings.minForwardW;
}

bool AlarmMonitor::tripConditionHolds() const {
    const bool drive = mSettings.driveLimitW > 0 && meter(mInput) > mSettings.driveLimitW;
    return drive || (swrCounts() && swrNow() >= mSettings.swrTrip);
}

void AlarmMonitor::evaluate() {
    mEvaluate.cancel();
    const bool counts = swrCounts();
    const double ratio = counts ? swrNow() : 0.0;
    track(mSwrTrip, counts && ratio >= mSettings.swrTrip);
    track(mSwrWarning, counts && ratio >= mSettings.swrWarning);
    track(mDrive, mSettings.driveLimitW > 0 && meter(mInput) > mSettings.driveLimitW);
}

void AlarmMonitor::track(Hold& hold, bool holds) {
    if (holds == hold.holds)
        return;
    hold.holds = holds;
    hold.since = mClock.now();
    if (holds && !hold.armed)
        arm(hold, AlarmSettings::kHoldMs);
}

void AlarmMonitor::arm(Hold& hold, qint64 afterMs) {
    hold.armed = true;
    hold.timer->start(std::chrono::milliseconds(afterMs),
                      [this, &hold] { holdTimer_Timeout(hold); });
}

void AlarmMonitor::holdTimer_Timeout(Hold& hold) {
    hold.armed = false;
    if (!hold.holds)
        return;
    const qint64 held = mClock.now() - hold.since;
    if (held < AlarmSettings::kHoldMs) {
        arm(hold, AlarmSettings::kHoldMs - held);
        return;
    }
    (this->*hold.fire)();
}

void AlarmMonitor::swrWarningHeld() {
    // An SWR that went past both levels at once is a trip, not a warning and then a trip.
    if (mSwrTrip.holds && mSwrTrip.since == mSwrWarning.since)
        return;
    raise(
        amp::Alarm::Warning,
        QStringLiteral("SWR %1:1 for %2 ms").arg(swrNow(), 0, 'f', 1).arg(AlarmSettings::kHoldMs));
}

void AlarmMonitor::swrTripHeld() {
    raise(
        amp::Alarm::Trip,
        QStringLiteral("SWR %1:1 for %2 ms").arg(swrNow(), 0, 'f', 1).arg(AlarmSettings::kHoldMs));
}

void AlarmMonitor::driveHeld() {
    raise(amp::Alarm::Trip, QStringLiteral("Drive %1 W over the %2 W limit for %3 ms")
                                .arg(meter(mInput))
                                .arg(mSettings.driveLimitW)
                                .arg(AlarmSettings::kHoldMs));
}

void AlarmMonitor::fault_ValueChange() {
    const int code = mAmp.integer(kFault);
    if (code == 0)
        return;
    QString text;
    mAmp.value(QString::fromLatin1(amp::kFaultText)).tryToString(text);
    raiseLater(text.isEmpty() ? QStringLiteral("Fault %1").arg(code)
                              : QStringLiteral("Fault %1: %2").arg(code).arg(text));
}

void AlarmMonitor::state_ValueChange() {
    // The driver forgets the state (unknown) as the link goes: what counts is the last known.
    const amp::State state = mAmp.state();
    if (state != amp::State::Unknown)
        mOperating = state == amp::State::Operate;
}

void AlarmMonitor::link_ValueChange() {
    const amp::Link link = mAmp.link();
    if (link == amp::Link::Up || !mOperating)
        return;
    // Silent counts as lost: an amplifier that does not answer cannot be watched either.
    mOperating = false;
    raiseLater(link == amp::Link::Down
                   ? QStringLiteral("Link lost while operating")
                   : QStringLiteral("No answer from the amplifier while operating"));
}

void AlarmMonitor::raiseLater(const QString& reason) {
    // Once the driver has finished with the report or the port: it takes no command while it
    // reads one, and the guard's standby is one.
    QMetaObject::invokeMethod(
        this, [this, reason] { raise(amp::Alarm::Trip, reason); }, Qt::QueuedConnection);
}

void AlarmMonitor::ack_ValueChange() {
    QString written;
    if (!mAck || (mAck->Value().tryToString(written) == 0 && written == kAckIdle))
        return;
    guarded(lcStation(), "alarm acknowledge", [&] { mAck->setValue(kAckIdle); });
    if (mGuard)
        mGuard->acknowledge();
    if (level() != amp::Alarm::None) {
        qCInfo(lcStation).noquote() << mAmp.title() << "alarm acknowledged";
        mReason.clear();
        setText({});
        guarded(lcStation(), "alarm level", [&] { mAlarm->setValue(std::int16_t{0}); });
    }
    // A condition that still holds may rise again, after a fresh hold.
    for (Hold* hold : {&mSwrWarning, &mSwrTrip, &mDrive})
        hold->holds = false;
    evaluate();
}

void AlarmMonitor::guard_said(const QString& done) {
    if (level() != amp::Alarm::Trip || mReason.isEmpty())
        return;
    const QString text = mReason + QStringLiteral(": ") + done;
    setText(text);
    emit textChanged(text);
}

void AlarmMonitor::setText(const QString& text) {
    if (mText)
        guarded(lcStation(), "alarm text", [&] { mText->setValue(text); });
}

void AlarmMonitor::raise(amp::Alarm level, const QString& reason) {
    const amp::Alarm standing = this->level();
    // Every trip is acted on, even over a standing one; a warning only where none stands.
    if (level != amp::Alarm::Trip && level <= standing)
        return;
    QString text = reason;
    if (level == amp::Alarm::Trip) {
        const QString done =
            mGuard ? mGuard->trip(mSettings, [this] { return tripConditionHolds(); }) : QString();
        if (!done.isEmpty())
            text += QStringLiteral(": ") + done;
        mReason = reason;
    }
    // A trip over a standing one must read as news to whoever follows the text.
    if (mText && text == mText->Value().toString())
        text += QStringLiteral(" (again)");
    qCWarning(lcStation).noquote()
        << mAmp.title() << amp::alarmName(static_cast<int>(level)) << text;
    setText(text);
    if (mAlarm)
        guarded(lcStation(), "alarm level",
                [&] { mAlarm->setValue(static_cast<std::int16_t>(level)); });
    emit raised(static_cast<int>(level), text);
}

} // namespace tarvex
