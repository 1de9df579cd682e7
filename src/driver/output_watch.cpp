#include "output_watch.h"

#ifdef Q_OS_LINUX
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace tarvex {

namespace {
constexpr int kPollMs = 5; // a command line at 4800 baud takes about 20 ms
} // namespace

qint64 systemOutputQueue(qintptr descriptor) {
#ifdef Q_OS_LINUX
    int queued = 0;
    // TIOCOUTQ and SIOCOUTQ are one request on Linux: a tty's or a socket's unsent bytes.
    if (descriptor >= 0 && ::ioctl(static_cast<int>(descriptor), TIOCOUTQ, &queued) == 0)
        return queued > 0 ? queued : 0;
#else
    Q_UNUSED(descriptor);
#endif
    return 0;
}

OutputWatch::OutputWatch(std::function<qint64()> pending, QObject* parent)
    : QObject(parent), mPending(std::move(pending)) {
    mPoll.setSingleShot(true);
    mPoll.setInterval(kPollMs);
    connect(&mPoll, &QTimer::timeout, this, &OutputWatch::check);
}

void OutputWatch::check() {
    const qint64 now = mPending();
    if (now < mLast)
        emit drained();
    mLast = now;
    if (now > 0)
        mPoll.start();
}

} // namespace tarvex
