#pragma once

#include "amplifier_track.h"
#include "history_backlog.h"
#include "history_rows.h"
#include "history_time.h"
#include "history_writer.h"

#include "core/hub.h"
#include "core/pass_end.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <map>
#include <memory>
#include <optional>

namespace tarvex {

class ServerObject;

// Keeps the record in history.db: listens to the hub like any view, turns item changes into
// events and per-second readings, and hands what it gathered to a writer thread every half
// second, which commits it in one transaction. The receive path only appends to memory; the
// disk is touched off it, so a slow or full disk never holds up an amplifier.
//
// While another program holds history.db locked, the record is kept in memory (bounded, see
// HistoryBacklog) and written once the lock is gone; the file is never set aside for it.
class HistoryRecorder : public QObject {
    Q_OBJECT

public:
    static constexpr int kDefaultReadingDays = 30;
    // Half a second, so that an event is on the disk within a second of happening.
    static constexpr std::chrono::milliseconds kFlushInterval{500};
    // How long the end of the program waits for the last commit.
    static constexpr std::chrono::milliseconds kShutdownWait{3000};
    // A file locked when it was to be opened is tried again this often: opening checks it whole.
    static constexpr qint64 kReopenIntervalMs = 3000;
    // A lock shorter than this (another program's brief write) is not worth a word.
    static constexpr qint64 kTellLockAfterMs = 5000;

    HistoryRecorder(QString path, HistoryClock clock, int readingDays = kDefaultReadingDays,
                    QObject* parent = nullptr);
    // Hands over what was gathered and waits at most the shutdown wait for it to be written;
    // past that, says on tarvex.history what was not and returns.
    ~HistoryRecorder() override;

    // Opens the file on the writer thread, deletes what is past keeping, and goes on doing so
    // once a day.
    void start();
    // Follows a server's hub from now on: the one it runs, each new one it starts (after
    // "&Configure..."), and none while it is stopped.
    void follow(ServerObject& server);
    // Follows this hub; the items it already holds are taken as they stand. Null: the hub is
    // going, nothing more is read until the next.
    void setHub(const HubPtr& hub);
    // An event that happened outside the hub (a remote user's login or command), recorded
    // with the rest under the amplifier's module index and the name it has now. Events that
    // concern no one amplifier go under the first, index 0. Nothing once the file failed.
    void recordEvent(int amplifier, const QString& kind, const QString& text);
    // Hands the events and finished seconds gathered so far to the writer.
    void flush();
    // Deletes readings and events past keeping.
    void prune();
    // Returns when the writer has done everything handed to it.
    void waitForWriter();
    // Runs then on this thread once the writer has done everything handed to it so far,
    // unless context is gone by then.
    void afterWriting(QObject* context, std::function<void()> then);
    // False once the file failed: from then on nothing is gathered.
    bool isRecording() const { return mRecording; }
    // Whether the record is being kept in memory because history.db is locked.
    bool isHeld() const { return mHeld; }
    const QString& path() const { return mPath; }

signals:
    // History stopped for this reason; said once.
    void problem(const QString& message);
    // A damaged or foreign file was set aside and a new one started; history.db was found
    // locked by another program, or is free again and what was kept meanwhile is written.
    void notice(const QString& message);
    // While history.db is locked: how much record is kept in memory, said again at each flush
    // once the lock has lasted kTellLockAfterMs. Empty once the lock is gone.
    void lockStatus(const QString& message);

private:
    struct Slot {
        int amplifier = 0;
        AmplifierTrack::Field field = AmplifierTrack::Field::Name;
        std::size_t meter = 0;
    };

    void mHub_NewItem(const ItemPtr& it);
    void mHub_ItemChangedValue(const ItemPtr& it);
    // The slot of an item the record follows.
    const Slot* learn(const ItemPtr& it);
    void record(const ItemPtr& it, const Slot& slot, bool asChange);
    // An alarm that rose, or a new trip over a standing one: an event of kind "alarm".
    void recordAlarmOf(const ItemPtr& it, int amplifier, bool isLevel);
    // The end of a pass of the event loop in which items changed.
    void settle();
    void detach();
    // Whether the writer opens the store before writing, when it is not open: the first time,
    // or again when it was locked and the time to try again has come.
    enum class Opening { First, Due, NotDue };
    // Hands the batch to the writer.
    void post(Opening opening);
    // Everything the writer thread needs from here, copied: a writer left behind at the end
    // may still run after the recorder is gone.
    struct Attempt {
        qint64 nowMs;
        int readingDays;
        Opening opening;
    };
    // On the writer thread: opens the store as opening says, then writes what is kept.
    HistoryWriter::Reply writeKept(HistoryStore& store, HistoryBacklog& kept,
                                   const Attempt& attempt);
    // What was kept since sinceMs (or the attempt at triedMs) could not be written for a lock.
    HistoryWriter::Reply held(const HistoryBacklog& kept, qint64 triedMs, const QString& notice);
    HistoryWriter::Reply failed(const QString& reason);
    void writerFailed(const QString& reason);
    void writerHeld(qint64 sinceMs, qint64 droppedReadings, qint64 droppedEvents);
    void writerWrote(qint64 droppedReadings, qint64 droppedEvents);

    QString mPath;
    HistoryClock mClock;
    int mReadingDays;
    bool mRecording = true;
    // history.db is locked: since when (by the clock), whether the user was told, and when an
    // open was last tried.
    bool mHeld = false;
    bool mLockTold = false;
    qint64 mHeldSinceMs = 0;
    qint64 mOpenTriedMs = 0;
    std::weak_ptr<Hub> mHub;
    QHash<const Item*, Slot> mSlots;
    std::map<int, AmplifierTrack> mTracks;
    HistoryBatch mBatch;
    PassEndHook mSettle{[this] { settle(); }};
    // What the writer could not write yet; touched on the writer thread only (and here once it
    // has ended).
    std::shared_ptr<HistoryBacklog> mKept = std::make_shared<HistoryBacklog>();
    QTimer mFlushTimer;
    QTimer mPruneTimer;
    HistoryWriter mWriter;
};

} // namespace tarvex
