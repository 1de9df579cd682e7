#pragma once

#include "amplifier_track.h"
#include "history_rows.h"
#include "history_time.h"
#include "history_writer.h"

#include "core/hub.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <map>

namespace tarvex {

class ServerObject;

// Keeps the record in history.db: listens to the hub like any view, turns item changes into
// events and per-second readings, and hands what it gathered to a writer thread every half
// second, which commits it in one transaction. The receive path only appends to memory; the
// disk is touched off it, so a slow or full disk never holds up an amplifier.
class HistoryRecorder : public QObject {
    Q_OBJECT

public:
    static constexpr int kDefaultReadingDays = 30;
    // Half a second, so that an event is on the disk within a second of happening.
    static constexpr std::chrono::milliseconds kFlushInterval{500};
    // How long the end of the program waits for the last commit.
    static constexpr std::chrono::milliseconds kShutdownWait{3000};

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
    const QString& path() const { return mPath; }

signals:
    // History stopped for this reason; said once.
    void problem(const QString& message);
    // A damaged or foreign file was set aside and a new one started.
    void notice(const QString& message);

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
    void record(const ItemPtr& it, bool asChange);
    // The end of a pass of the event loop in which items changed.
    void settle();
    void detach();
    HistoryWriter::Reply failed(const QString& reason);
    void writerFailed(const QString& reason);

    QString mPath;
    HistoryClock mClock;
    int mReadingDays;
    bool mRecording = true;
    bool mSettleQueued = false;
    std::weak_ptr<Hub> mHub;
    QHash<const Item*, Slot> mSlots;
    std::map<int, AmplifierTrack> mTracks;
    HistoryBatch mBatch;
    QTimer mFlushTimer;
    QTimer mPruneTimer;
    HistoryWriter mWriter;
};

} // namespace tarvex
