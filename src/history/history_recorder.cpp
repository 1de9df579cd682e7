#include "history_recorder.h"

#include "history_store.h"

#include "core/guard.h"

#include <QLoggingCategory>

namespace tarvex {

namespace {

Q_LOGGING_CATEGORY(lcHistory, "tarvex.history", QtInfoMsg)

constexpr std::chrono::hours kPruneInterval{24};

using Field = AmplifierTrack::Field;

std::optional<std::pair<Field, std::size_t>> fieldOf(const QString& base) {
    static const QHash<QString, Field> kFields = {
        {QStringLiteral("ac"), Field::Ac},         {QStringLiteral("oper"), Field::Oper},
        {QStringLiteral("warmup"), Field::Warmup}, {QStringLiteral("fault"), Field::Fault},
        {QStringLiteral("band"), Field::Band},     {QStringLiteral("message"), Field::Message},
        {QStringLiteral("name"), Field::Name},
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
    switch (field) {
    case Field::Ac:
    case Field::Oper:
    case Field::Warmup:
        out.flag = v.toBoolean();
        break;
    case Field::Message:
    case Field::Name:
        out.text = v.toString();
        break;
    default:
        out.number = static_cast<int>(v.toLong());
        break;
    }
    return out;
}

} // namespace

HistoryRecorder::HistoryRecorder(QString path, HistoryClock clock, int readingDays, QObject* parent)
    : QObject(parent), mPath(std::move(path)), mClock(std::move(clock)), mReadingDays(readingDays),
      mWorker(std::make_unique<QObject>()), mStore(std::make_unique<HistoryStore>(mPath)) {
    mThread.setObjectName(QStringLiteral("history writer"));
    mWorker->moveToThread(&mThread);
    mFlushTimer.setInterval(kFlushInterval);
    connect(&mFlushTimer, &QTimer::timeout, this, &HistoryRecorder::flush);
    mPruneTimer.setInterval(kPruneInterval);
    connect(&mPruneTimer, &QTimer::timeout, this, &HistoryRecorder::prune);
}

HistoryRecorder::~HistoryRecorder() {
    detach();
    mFlushTimer.stop();
    if (mThread.isRunning()) {
        flush();
        onWriter([](HistoryStore& store) { store.close(); });
        waitForWriter();
        mThread.quit();
        mThread.wait();
    }
}

void HistoryRecorder::start() {
    if (mThread.isRunning())
        return;
    mThread.start();
    const qint64 now = mClock();
    onWriter([this, now, days = mReadingDays](HistoryStore& store) {
        if (!store.open(now)) {
            writerFailed(store.error());
            return;
        }
        if (const QString notice = store.setAsideNotice(); !notice.isEmpty())
            QMetaObject::invokeMethod(
                this, [this, notice] { emit this->notice(notice); }, Qt::QueuedConnection);
        if (!store.prune(now, days))
            writerFailed(store.error());
    });
    mFlushTimer.start();
    mPruneTimer.start();
}

void HistoryRecorder::onWriter(std::function<void(HistoryStore&)> work) {
    if (!mThread.isRunning())
        return;
    HistoryStore* store = mStore.get();
    QMetaObject::invokeMethod(
        mWorker.get(), [store, work = std::move(work)] { work(*store); }, Qt::QueuedConnection);
}

void HistoryRecorder::waitForWriter() {
    if (mThread.isRunning())
        QMetaObject::invokeMethod(
            mWorker.get(), [] {}, Qt::BlockingQueuedConnection);
}

void HistoryRecorder::afterWriting(QObject* context, std::function<void()> then) {
    QPointer<QObject> guard(context);
    auto run = [guard, then = std::move(then)] {
        if (guard)
            then();
    };
    if (!mThread.isRunning()) {
        run();
        return;
    }
    onWriter(
        [this, run](HistoryStore&) { QMetaObject::invokeMethod(this, run, Qt::QueuedConnection); });
}

void HistoryRecorder::writerFailed(const QString& reason) {
    // Called on the writer thread: the answer is carried to the recorder's own.
    QMetaObject::invokeMethod(
        this,
        [this, reason] {
            if (!mRecording)
                return;
            mRecording = false;
            detach();
            mTracks.clear();
            mBatch = {};
            mFlushTimer.stop();
            mPruneTimer.stop();
            emit problem(
                tr("History is not being kept: %1. Tarvex goes on without it.").arg(reason));
        },
        Qt::QueuedConnection);
}

void HistoryRecorder::flush() {
    if (!mRecording)
        return;
    const qint64 now = mClock();
    for (auto& [amplifier, track] : mTracks)
        track.close(now, mBatch);
    if (mBatch.empty())
        return;
    onWriter([this, batch = std::exchange(mBatch, {})](HistoryStore& store) {
        if (store.isOpen() && !store.write(batch))
            writerFailed(store.error());
    });
}

void HistoryRecorder::prune() {
    onWriter([this, now = mClock(), days = mReadingDays](HistoryStore& store) {
        if (store.isOpen() && !store.prune(now, days))
            writerFailed(store.error());
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
    detach();
    // The seconds gathered under the old hub end here; the new one starts its amplifiers anew.
    const qint64 now = mClock();
    for (auto& [amplifier, track] : mTracks)
        track.close(now, mBatch);
    mTracks.clear();
    if (!hub)
        return;
    mHub = hub;
    connect(hub.get(), &Hub::NewItem, this, &HistoryRecorder::mHub_NewItem);
    connect(hub.get(), &Hub::ItemChangedValue, this, &HistoryRecorder::mHub_ItemChangedValue);
    for (const ItemPtr& it : hub->GetItemCollection()) {
        learn(it);
        if (!it->Value().isEmpty())
            record(it, false);
    }
}

void HistoryRecorder::learn(const ItemPtr& it) {
    // "<module index><base name>", as the driver names its items.
    const QString& name = it->Name();
    qsizetype digits = 0;
    while (digits < name.size() && name[digits].isDigit())
        ++digits;
    if (digits == 0 || digits > 5)
        return;
    const auto field = fieldOf(name.mid(digits).toLower());
    if (!field)
        return;
    mSlots.insert(it.get(), {name.left(digits).toInt(), field->first, field->second});
}

void HistoryRecorder::mHub_NewItem(const ItemPtr& it) {
    if (it)
        learn(it);
}

void HistoryRecorder::mHub_ItemChangedValue(const ItemPtr& it) {
    // An item's first value is the driver starting up, not an event.
    if (it)
        record(it, !it->LastValue().isEmpty());
}

void HistoryRecorder::record(const ItemPtr& it, bool asChange) {
    const auto slot = mSlots.constFind(it.get());
    if (slot == mSlots.constEnd())
        return;
    guarded(lcHistory(), "history record", [&] {
        const AmplifierTrack::Value value = valueFor(slot->field, it->Value());
        auto track = mTracks.try_emplace(slot->amplifier, slot->amplifier).first;
        track->second.set(slot->field, slot->meter, value, mClock(), asChange, mBatch);
    });
}

} // namespace tarvex
