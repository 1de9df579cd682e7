#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace tarvex {

class HistoryStore;

// The thread that owns history.db's store and does the recorder's disk work in the order it
// is handed in. Everything the thread touches lives in a state shared with the work queued on
// it, so a writer that is left behind still inside SQLite (a disk that hangs at shutdown)
// never reaches memory the recorder has freed.
class HistoryWriter {
public:
    // What a piece of work has to tell the recorder; run on the recorder's thread, and only if
    // the recorder is still there. Empty for nothing.
    using Reply = std::function<void()>;
    using Work = std::function<Reply(HistoryStore&)>;

    // home is the object replies are delivered to (the recorder).
    HistoryWriter(QString path, QObject* home);
    // Waits for the work handed in so far without a limit; call finish() first to bound it.
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    void start();
    bool isRunning() const;
    // Queues work; events and seconds count what it carries until it is done.
    void post(Work work, qint64 events = 0, qint64 seconds = 0);
    // Returns when the work handed in so far is done.
    void waitIdle();
    // Closes the store after the work handed in so far and ends the thread. False when that
    // took longer than limit: the thread is then left to finish on its own (queued work not
    // yet begun is dropped), and notWritten says what it still had.
    bool finish(std::chrono::milliseconds limit, QString* notWritten);

    // Writers left to finish on their own that have not yet (on the recorder's thread).
    static int unfinished();

private:
    struct Shared;
    static std::vector<std::shared_ptr<Shared>>& leftovers();
    static void keepUntilFinished(const std::shared_ptr<Shared>& s);
    static void dropFinished();

    std::shared_ptr<Shared> mShared;
};

} // namespace tarvex
