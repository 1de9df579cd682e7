#include "history_writer.h"

#include "history_store.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

namespace tarvex {

struct HistoryWriter::Shared {
    explicit Shared(QString path) : store(std::move(path)) {}

    // Declared first, destroyed last: the worker and the store go before their thread.
    QThread thread;
    QObject worker; // lives on thread
    HistoryStore store;
    std::atomic<qint64> events{0};
    std::atomic<qint64> seconds{0};
    std::atomic<bool> abandoned{false};
    // Held while a reply is handed to home, so that home cannot go in between.
    std::mutex homeLock;
    QObject* home = nullptr;

    void deliver(const Reply& reply) {
        const std::lock_guard lock(homeLock);
        if (reply && home)
            QMetaObject::invokeMethod(home, reply, Qt::QueuedConnection);
    }
    void run(std::function<void()> job) {
        QMetaObject::invokeMethod(&worker, std::move(job), Qt::QueuedConnection);
    }
};

HistoryWriter::HistoryWriter(QString path, QObject* home)
    : mShared(std::make_shared<Shared>(std::move(path))) {
    mShared->thread.setObjectName(QStringLiteral("history writer"));
    mShared->worker.moveToThread(&mShared->thread);
    mShared->home = home;
}

HistoryWriter::~HistoryWriter() {
    if (mShared)
        finish(std::chrono::milliseconds::max(), nullptr);
}

void HistoryWriter::start() {
    if (mShared && !mShared->thread.isRunning())
        mShared->thread.start();
}

bool HistoryWriter::isRunning() const {
    return mShared && mShared->thread.isRunning();
}

void HistoryWriter::post(Work work, qint64 events, qint64 seconds) {
    if (!isRunning())
        return;
    mShared->events += events;
    mShared->seconds += seconds;
    mShared->run([s = mShared, work = std::move(work), events, seconds] {
        if (!s->abandoned)
            s->deliver(work(s->store));
        s->events -= events;
        s->seconds -= seconds;
    });
}

void HistoryWriter::waitIdle() {
    if (!isRunning())
        return;
    auto done = std::make_shared<QSemaphore>();
    mShared->run([done] { done->release(); });
    done->acquire();
}

bool HistoryWriter::finish(std::chrono::milliseconds limit, QString* notWritten) {
    const std::shared_ptr<Shared> s = std::exchange(mShared, nullptr);
    {
        const std::lock_guard lock(s->homeLock);
        s->home = nullptr;
    }
    if (!s->thread.isRunning())
        return true;
    auto done = std::make_shared<QSemaphore>();
    s->run([s, done] {
        s->store.close();
        s->thread.quit();
        done->release();
    });
    const int ms =
        limit.count() > std::numeric_limits<int>::max() ? -1 : static_cast<int>(limit.count());
    if (done->tryAcquire(1, ms)) {
        s->thread.wait();
        return true;
    }
    if (notWritten) {
        const auto counted = [](qint64 n, const char* what) {
            return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(what)).arg(n == 1 ? "" : "s");
        };
        *notWritten = counted(s->events, "event") + QStringLiteral(", ") +
                      counted(s->seconds, "second") + QStringLiteral(" of readings");
    }
    s->abandoned = true;
    keepUntilFinished(s);
    return false;
}

std::vector<std::shared_ptr<HistoryWriter::Shared>>& HistoryWriter::leftovers() {
    // Never destroyed: a thread still running at exit must not be destroyed under itself.
    static auto* list = new std::vector<std::shared_ptr<Shared>>;
    return *list;
}

void HistoryWriter::keepUntilFinished(const std::shared_ptr<Shared>& s) {
    // Nobody may destroy a thread while it runs, and the last reference must not drop on the
    // thread itself: the state stays here until the thread has ended, and goes on this thread.
    leftovers().push_back(s);
    if (QCoreApplication* app = QCoreApplication::instance())
        QObject::connect(&s->thread, &QThread::finished, app, &HistoryWriter::dropFinished,
                         Qt::QueuedConnection);
}

void HistoryWriter::dropFinished() {
    std::erase_if(leftovers(), [](const auto& s) { return s->thread.isFinished(); });
}

int HistoryWriter::unfinished() {
    dropFinished();
    return static_cast<int>(leftovers().size());
}

} // namespace tarvex
