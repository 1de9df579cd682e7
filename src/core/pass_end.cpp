#include "pass_end.h"

#include "guard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

namespace tarvex {

// The hooks asked for on one thread, and the one posted event that runs them.
class PassEndQueue : public QObject {
public:
    static PassEndQueue& here() {
        thread_local QPointer<PassEndQueue> queue;
        if (!queue) {
            queue = new PassEndQueue;
            // Gone with the application or the thread, whichever it belongs to.
            QObject* const app = QCoreApplication::instance();
            if (app && app->thread() == QThread::currentThread())
                queue->setParent(app);
            else
                QObject::connect(
                    QThread::currentThread(), &QThread::finished, queue.data(),
                    [q = queue.data()] { delete q; }, Qt::DirectConnection);
        }
        return *queue;
    }

    void add(PassEndHook* hook) {
        mWaiting.push_back(hook);
        if (mScopes == 0 && !mPosted) {
            mPosted = true;
            QCoreApplication::postEvent(this, new QEvent(kRun));
        }
    }

    void open() { ++mScopes; }
    void close() {
        if (--mScopes == 0 && !mWaiting.empty())
            runWaiting();
    }

    void remove(PassEndHook* hook) {
        std::erase(mWaiting, hook);
        if (mRunning)
            std::replace(mRunning->begin(), mRunning->end(), hook,
                         static_cast<PassEndHook*>(nullptr));
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() != kRun)
            return QObject::event(e);
        mPosted = false;
        // Asked for inside a scope still open (a nested event loop): that scope runs it.
        if (mScopes == 0)
            runWaiting();
        return true;
    }

private:
    void runWaiting() {
        // What this pass asked for; work asked for meanwhile goes into a new pass.
        std::vector<PassEndHook*> batch = std::exchange(mWaiting, {});
        std::vector<PassEndHook*>* const outer = std::exchange(mRunning, &batch);
        for (PassEndHook*& hook : batch) {
            PassEndHook* const h = std::exchange(hook, nullptr);
            if (!h)
                continue;
            h->mPending = false;
            try {
                h->mWork();
            } catch (const std::exception& e) {
                // It may run from a destructor; one listener's fault must not end the others.
                qCWarning(lcCore) << "work after a pass failed:" << e.what();
            }
        }
        mRunning = outer;
    }

    static inline const auto kRun = static_cast<QEvent::Type>(QEvent::registerEventType());
    std::vector<PassEndHook*> mWaiting;
    std::vector<PassEndHook*>* mRunning = nullptr;
    int mScopes = 0;
    bool mPosted = false;
};

PassEndHook::PassEndHook(std::function<void()> work) : mWork(std::move(work)) {}

PassEndHook::~PassEndHook() {
    cancel();
}

void PassEndHook::request() {
    if (mPending)
        return;
    mPending = true;
    PassEndQueue::here().add(this);
}

PassScope::PassScope() {
    PassEndQueue::here().open();
}

PassScope::~PassScope() {
    PassEndQueue::here().close();
}

void PassEndHook::cancel() {
    if (!mPending)
        return;
    mPending = false;
    PassEndQueue::here().remove(this);
}

} // namespace tarvex
