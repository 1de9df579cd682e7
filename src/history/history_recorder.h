#pragma once

#include "amplifier_track.h"
#include "history_rows.h"
#include "history_time.h"

#include "core/hub.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <map>
#include <memory>

namespace tarvex {

class HistoryStore;

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

    HistoryRecorder(QString path, HistoryClock clock, int readingDays = kDefaultReadingDays,
                    QObject* parent = nullptr);
    ~HistoryRecorder() override;

    // Opens the file on the writer thread, deletes what is past keeping, and goes on doing so
    // once a day.
    void start();
    // Follows the server's hub; the items it already holds are taken as they stand.
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
        AmplifierTrack::Field field = AmplifierTrack::Field::Ac;
        std::size_t meter = 0;
    };

    void mHub_NewItem(const ItemPtr& it);
    void mHub_ItemChangedValue(const ItemPtr& it);
    void learn(const ItemPtr& it);
    void record(const ItemPtr& it, bool asChange);
    void detach();
    // Runs work on the writer thread with the store.
    void onWriter(std::function<void(HistoryStore&)> work);
    void writerFailed(const QString& reason);

    QString mPath;
    HistoryClock mClock;
    int mReadingDays;
    bool mRecording = true;
    std::weak_ptr<Hub> mHub;
    QHash<const Item*, Slot> mSlots;
    std::map<int, AmplifierTrack> mTracks;
    HistoryBatch mBatch;
    QTimer mFlushTimer;
    QTimer mPruneTimer;
    QThread mThread;
    std::unique_ptr<QObject> mWorker;     // lives on mThread
    std::unique_ptr<HistoryStore> mStore; // used on mThread only
};

} // namespace tarvex
