#include "history_recorder.h"

#include "history_store.h"

#include "core/amplifier_vocabulary.h"
#include "core/guard.h"
#include "core/server_object.h"

#include <QLoggingCategory>
#include <QPointer>

#include <algorithm>

namespace tarvex {

namespace {

Q_LOGGING_CATEGORY(lcHistory, "tarvex.history", QtInfoMsg)

constexpr std::chrono::hours kPruneInterval{24};

using Field = AmplifierTrack::Field;

std::optional<std::pair<Field, std::size_t>> fieldOf(const QString& base) {
    static const QHash<QString, Field> kFields = {
        {QStringLiteral("name"), Field::Name},
        {QStringLiteral("message"), Field::Message},
        {QLatin1String(amp::kFaultText), Field::FaultText},
        {QLatin1String(amp::kState), Field::State},
        {QStringLiteral("fault"), Field::Fault},
        {QLatin1String(amp::kReportedBand), Field::ReportedBand},
        {QLatin1String(amp::kLink), Field::Link},
        {QLatin1String(amp::kAlarmText), Field::AlarmText},
        {QLatin1String(amp::kAlarm), Field::Alarm},
    };
    if (const auto f = kFields.find(base); f != kFields.end())
        return std::pair{*f, std::size_t{0}};
    for (std::size_t m = 0; m < kMeterCount; ++m) {
        if (base == QLatin1String(kHistoryMeters[m]))
            return std::pair{Field::Meter, m};
    }
    return std::nullopt;
}

AmplifierTrack::Value valueFor(Field field, const Variant& v) {
    AmplifierTrack::Value out;
    if (field == Field::Name || field == Field::Message || field == Field::FaultText ||
        field == Field::AlarmText)
        out.text = v.toString();
    else
        out.number = static_cast<int>(v.toLong());
    return out;
}

// The order in which a new hub's standing values are taken: an amplifier's name first (a new
// name starts its record afresh), the texts before the fault and the link they explain, the
// link last.
int takenAs(Field field) {
    switch (field) {
    case Field::Name:
        return 0;
    case Field::Message:
    case Field::FaultText:
    case Field::AlarmText:
        return 1;
    case Field::Link:
        return 3;
    default:
        return 2;
    }
}

} // namespace

HistoryRecorder::HistoryRecorder(QString path, HistoryClock clock, int readingDays, QObject* parent)
    : QObject(parent), mPath(std::move(path)), mClock(std::move(clock)), mReadingDays(readingDays),
      mWriter(mPath, this) {
    mFlushTimer.setInterval(kFlushInterval);
    connect(&mFlushTimer, &QTimer::timeout, this, &HistoryRecorder::flush);
    mPruneTimer.setInterval(kPruneInterval);
    connect(&mPruneTimer, &QTimer::timeout, this, &HistoryRecorder::prune);
}

HistoryRecorder::~HistoryRecorder() {
    detach();
    mFlushTimer.stop();
    mPruneTimer.stop();
    if (!mWriter.isRunning())
        return;
    // The last chance for what a lock kept out, whenever the file was last tried; a trip whose
    // two seconds after have not passed goes with what it has.
    if (mRecording) {
        for (auto& [amplifier, track] : mTracks)
            track.endTrips(mBatch);
        post(Opening::Due);
    }
    QString notWritten;
    if (!mWriter.finish(kShutdownWait, &notWritten)) {
        qCWarning(lcHistory).noquote()
            << QStringLiteral("%1 was not written to within %2 ms; left out: %3")
                   .arg(mPath)
                   .arg(kShutdownWait.count())
                   .arg(notWritten);
        return;
    }
    // The writer has ended: what it kept is this thread's to read.
    if (!mKept->empty())
        qCWarning(lcHistory).noquote()
            << QStringLiteral("%1 was locked by another program to the end; left out: %2 events, "
                              "%3 seconds of readings")
                   .arg(mPath)
                   .arg(mKept->batch().events.size())
                   .arg(mKept->batch().readings.size());
}

void HistoryRecorder::start() {
    if (mWriter.isRunning())
        return;
    mWriter.start();
    const qint64 now = mClock();
    mOpenTriedMs = now;
    mWriter.post([this, kept = mKept, now, days = mReadingDays](HistoryStore& store) {
        return writeKept(store, *kept, {now, days, Opening::First});
    });
    mFlushTimer.start();
    mPruneTimer.start();
}

void HistoryRecorder::follow(ServerObject& server) {
    connect(&server, &ServerObject::Started, this, [this, s = &server] { setHub(s->hub()); });
    connect(&server, &ServerObject::Stopping, this, [this] { setHub(nullptr); });
    setHub(server.hub());
}

void HistoryRecorder::waitForWriter() {
    mWriter.waitIdle();
}

void HistoryRecorder::afterWriting(QObject* context, std::function<void()> then) {
    QPointer<QObject> guard(context);
    auto run = [guard, then = std::move(then)] {
        if (guard)
            then();
    };
    if (!mWriter.isRunning()) {
        run();
        return;
    }
    mWriter.post([run](HistoryStore&) -> HistoryWriter::Reply { return run; });
}

HistoryWriter::Reply HistoryRecorder::failed(const QString& reason) {
    // Made on the writer thread, run on the recorder's.
    return [this, reason] { writerFailed(reason); };
}

void HistoryRecorder::writerFailed(const QString& reason) {
    if (!mRecording)
        return;
    mRecording = false;
    if (mLockTold)
        emit lockStatus({});
    mHeld = false;
    detach();
    mTracks.clear();
    mBatch = {};
    mFlushTimer.stop();
    mPruneTimer.stop();
    emit problem(tr("History is not being kept: %1. Tarvex goes on without it.").arg(reason));
}

HistoryWriter::Reply HistoryRecorder::writeKept(HistoryStore& store, HistoryBacklog& kept,
                                                const Attempt& attempt) {
    const qint64 now = attempt.nowMs;
    const Opening opening = attempt.opening;
    QString notice;
    if (!store.isOpen()) {
        // Only a file that was locked is tried again; any other failure was said and is final.
        const bool tryNow =
            opening == Opening::First || (opening == Opening::Due && store.locked());
        if (!tryNow)
            return store.locked() ? held(kept, now, {}) : HistoryWriter::Reply();
        if (!store.open(now))
            return store.locked() ? held(kept, now, {}) : failed(store.error());
        notice = store.setAsideNotice();
        // A lock met here leaves the pruning to the next day.
        if (!store.prune(now, attempt.readingDays) && !store.locked())
            return failed(store.error());
    }
    if (!kept.empty() && !store.write(kept.batch()))
        return store.locked() ? held(kept, now, notice) : failed(store.error());
    const qint64 droppedReadings = kept.droppedReadings();
    const qint64 droppedEvents = kept.droppedEvents();
    kept.clear();
    return [this, notice, droppedReadings, droppedEvents] {
        if (!notice.isEmpty())
            emit this->notice(notice);
        writerWrote(droppedReadings, droppedEvents);
    };
}

HistoryWriter::Reply HistoryRecorder::held(const HistoryBacklog& kept, qint64 triedMs,
                                           const QString& notice) {
    const qint64 since = std::min(kept.oldestMs().value_or(triedMs), triedMs);
    return [this, notice, since, readings = kept.droppedReadings(), events = kept.droppedEvents()] {
        if (!notice.isEmpty())
            emit this->notice(notice);
        writerHeld(since, readings, events);
    };
}

namespace {

QString counted(qint64 n, const QString& one, const QString& many) {
    return n == 1 ? one : many.arg(n);
}

QString droppedText(qint64 readings, qint64 events) {
    QStringList parts;
    if (readings > 0)
        parts << counted(readings, HistoryRecorder::tr("1 one-second reading"),
                         HistoryRecorder::tr("%1 one-second readings"));
    if (events > 0)
        parts << counted(events, HistoryRecorder::tr("1 event"), HistoryRecorder::tr("%1 events"));
    return parts.join(HistoryRecorder::tr(" and "));
}

} // namespace

void HistoryRecorder::writerHeld(qint64 sinceMs, qint64 droppedReadings, qint64 droppedEvents) {
    if (!mRecording)
        return;
    if (!mHeld) {
        mHeld = true;
        mLockTold = false;
        mHeldSinceMs = sinceMs;
    }
    const qint64 lasted = mClock() - mHeldSinceMs;
    if (lasted < kTellLockAfterMs)
        return;
    QString text = tr("%1 is locked by another program; %2 s of record kept in memory")
                       .arg(mPath)
                       .arg(lasted / 1000);
    if (const QString dropped = droppedText(droppedReadings, droppedEvents); !dropped.isEmpty())
        text += tr(", less the oldest %1, dropped to keep it bounded").arg(dropped);
    text += u'.';
    if (!mLockTold) {
        mLockTold = true;
        emit notice(text);
    }
    emit lockStatus(text);
}

void HistoryRecorder::writerWrote(qint64 droppedReadings, qint64 droppedEvents) {
    if (!mHeld)
        return;
    mHeld = false;
    if (!mLockTold)
        return;
    mLockTold = false;
    QString text = tr("%1 is free again; the record kept in memory is written").arg(mPath);
    if (const QString dropped = droppedText(droppedReadings, droppedEvents); !dropped.isEmpty())
        text += tr(", less the oldest %1, dropped while it was locked").arg(dropped);
    emit notice(text + u'.');
    emit lockStatus({});
}

void HistoryRecorder::settle() {
    mSettle.cancel();
    for (auto& [amplifier, track] : mTracks)
        track.settle(mBatch);
}

void HistoryRecorder::recordEvent(int amplifier, const QString& kind, const QString& text) {
    if (!mRecording)
        return;
    const auto track = mTracks.find(amplifier);
    mBatch.events.push_back({mClock(), std::max(0, amplifier),
                             track != mTracks.end() ? track->second.name() : QString(), kind,
                             std::nullopt, text});
}

void HistoryRecorder::flush() {
    if (!mRecording)
        return;
    // Opening checks the whole file: one that is locked is tried only every few seconds (and
    // at once after the clock was set back).
    const qint64 now = mClock();
    post(now < mOpenTriedMs || now - mOpenTriedMs >= kReopenIntervalMs ? Opening::Due
                                                                       : Opening::NotDue);
}

void HistoryRecorder::post(Opening opening) {
    settle();
    const qint64 now = mClock();
    for (auto& [amplifier, track] : mTracks)
        track.close(now, mBatch);
    // While the file is locked the writer is asked again even with nothing new.
    if (mBatch.empty() && !mHeld)
        return;
    if (opening == Opening::Due)
        mOpenTriedMs = now;
    const auto events = static_cast<qint64>(mBatch.events.size());
    const auto seconds = static_cast<qint64>(mBatch.readings.size());
    mWriter.post(
        [this, kept = mKept, batch = std::exchange(mBatch, {}),
         attempt = Attempt{now, mReadingDays, opening}](HistoryStore& store) mutable {
            kept->add(std::move(batch));
            return writeKept(store, *kept, attempt);
        },
        events, seconds);
}

void HistoryRecorder::prune() {
    mWriter.post([this, now = mClock(), days = mReadingDays](HistoryStore& store) {
        // A lock leaves it for the next day; the readings wait that long.
        return store.isOpen() && !store.prune(now, days) && !store.locked()
                   ? failed(store.error())
                   : HistoryWriter::Reply();
    });
}

void HistoryRecorder::detach() {
    if (auto hub = mHub.lock())
        hub->disconnect(this);
    mHub.reset();
    mSlots.clear();
}

void HistoryRecorder::setHub(const HubPtr& hub) {
    if (!mRecording || mHub.lock() == hub)
        return;
    // The seconds gathered under the old hub end here, and nothing is read until the new one's
    // links are up; what the record said of each amplifier stays.
    settle();
    const qint64 now = mClock();
    for (auto& [amplifier, track] : mTracks)
        track.leaveHub(now, mBatch);
    detach();
    if (!hub)
        return;
    mHub = hub;
    connect(hub.get(), &Hub::NewItem, this, &HistoryRecorder::mHub_NewItem);
    connect(hub.get(), &Hub::ItemChangedValue, this, &HistoryRecorder::mHub_ItemChangedValue);
    std::vector<std::pair<int, ItemPtr>> standing;
    for (const ItemPtr& it : hub->GetItemCollection()) {
        if (const Slot* slot = learn(it); slot && !it->Value().isEmpty())
            standing.emplace_back(takenAs(slot->field), it);
    }
    std::stable_sort(standing.begin(), standing.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [order, it] : standing)
        record(it, mSlots.value(it.get()), false);
}

const HistoryRecorder::Slot* HistoryRecorder::learn(const ItemPtr& it) {
    // "<module index><base name>", as the driver names its items.
    const QString& name = it->Name();
    qsizetype digits = 0;
    while (digits < name.size() && name[digits].isDigit())
        ++digits;
    if (digits == 0 || digits > 5)
        return nullptr;
    const auto field = fieldOf(name.mid(digits).toLower());
    if (!field)
        return nullptr;
    return &*mSlots.insert(it.get(), {name.left(digits).toInt(), field->first, field->second});
}

void HistoryRecorder::mHub_NewItem(const ItemPtr& it) {
    if (it)
        learn(it);
}

void HistoryRecorder::mHub_ItemChangedValue(const ItemPtr& it) {
    if (!it)
        return;
    // Every item of the hub passes here, each meter on every metering line: one look-up.
    const auto found = mSlots.constFind(it.get());
    if (found == mSlots.constEnd())
        return;
    const Slot slot = *found;
    if (slot.field == Field::Alarm || slot.field == Field::AlarmText)
        guarded(lcHistory(), "alarm record",
                [&] { recordAlarmOf(it, slot.amplifier, slot.field == Field::Alarm); });
    // An item's first value is where the driver starts, not something that happened.
    record(it, slot, !it->LastValue().isEmpty());
}

void HistoryRecorder::recordAlarmOf(const ItemPtr& it, int amplifier, bool isLevel) {
    static const QString kLevel = QString::fromLatin1(amp::kAlarm);
    static const QString kText = QString::fromLatin1(amp::kAlarmText);
    const auto hub = mHub.lock();
    if (!hub)
        return;
    const QString prefix = QString::number(amplifier);
    const auto number = [](const Variant& v) {
        std::int32_t n = 0;
        return v.tryToLong(n) == 0 ? n : 0;
    };
    const ItemPtr level = isLevel ? it : hub->GetItem(prefix + kLevel);
    const ItemPtr text = isLevel ? hub->GetItem(prefix + kText) : it;
    if (!level || !text)
        return;
    const int now = number(level->Value());
    // The text comes before the level: a level that rises brings its text; a text that changes
    // under a standing trip is the next trip, or what the guard did after all.
    const bool rose = isLevel && now > number(level->LastValue());
    const bool retold =
        !isLevel && now == static_cast<int>(amp::Alarm::Trip) && !it->Value().toString().isEmpty();
    if (rose || retold)
        recordEvent(amplifier, QStringLiteral("alarm"),
                    amp::alarmName(now) + QStringLiteral(": ") + text->Value().toString());
}

void HistoryRecorder::record(const ItemPtr& it, const Slot& slot, bool asChange) {
    guarded(lcHistory(), "history record", [&] {
        const AmplifierTrack::Value value = valueFor(slot.field, it->Value());
        auto track = mTracks.try_emplace(slot.amplifier, slot.amplifier).first;
        track->second.set(slot.field, slot.meter, value, mClock(), asChange, mBatch);
    });
    mSettle.request();
}

} // namespace tarvex
