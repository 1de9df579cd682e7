#include "sim/pty_port.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace tarvex::sim {

namespace {

void makeRaw(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return;
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
}

int baudOf(speed_t speed) {
    static constexpr std::pair<speed_t, int> kRates[] = {
        {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
        {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
        {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
        {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
    };
    for (const auto& [code, rate] : kRates) {
        if (code == speed)
            return rate;
    }
    return 0; // B0 (hang up) or a rate we do not know: do not pace
}

// Start bit, data bits and stop bits of one character. A pty always carries eight data bits
// and no parity (the kernel drops what a client asks for there); only the stop bits follow it.
int bitsPerCharacter(tcflag_t cflag) {
    return (cflag & CSTOPB) ? 11 : 10;
}

} // namespace

PtyPort::PtyPort(QObject* parent) : QObject(parent) {
    reopenTimer_.setInterval(kReopenPollMs);
    connect(&reopenTimer_, &QTimer::timeout, this, &PtyPort::tryResume);
    paceTimer_.setInterval(10);
    paceTimer_.setTimerType(Qt::PreciseTimer);
    connect(&paceTimer_, &QTimer::timeout, this, &PtyPort::onPaceTick);
}

PtyPort::~PtyPort() {
    close();
}

bool PtyPort::fail(const QString& what) {
    error_ = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    close();
    return false;
}

bool PtyPort::open(const Options& options) {
    close();
    error_.clear();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0)
        return fail(QStringLiteral("posix_openpt"));
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return fail(QStringLiteral("grantpt/unlockpt"));
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0)
        return fail(QStringLiteral("ptsname"));
    slavePath_ = QString::fromLocal8Bit(name);

    // A new slave line cooks and echoes its input, which would bounce our replies straight back
    // to us before a client has set it up. Make it raw now (on Linux the master's termios
    // requests reach the slave).
    makeRaw(master_);
    if (options.keepSlaveOpen) {
        keepAlive_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (keepAlive_ < 0)
            return fail(QStringLiteral("open ") + slavePath_);
        makeRaw(keepAlive_);
    }

    if (!options.linkPath.isEmpty()) {
        const QByteArray link = options.linkPath.toLocal8Bit();
        char target[256];
        // Replace a stale link from an earlier run, but never a real file.
        if (::readlink(link.constData(), target, sizeof target) >= 0)
            ::unlink(link.constData());
        if (::symlink(name, link.constData()) != 0)
            return fail(QStringLiteral("symlink ") + options.linkPath);
        linkPath_ = options.linkPath;
    }

    baud_ = options.baud;
    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &PtyPort::onReadable);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, [this] {
        writeNotifier_->setEnabled(false);
        flush(pending_.size());
    });
    return true;
}

void PtyPort::close() {
    // close() may run inside a received() handler, i.e. inside the notifier's own signal.
    for (QSocketNotifier** n : {&readNotifier_, &writeNotifier_}) {
        if (*n) {
            (*n)->setEnabled(false);
            (*n)->deleteLater();
            *n = nullptr;
        }
    }
    reopenTimer_.stop();
    paceTimer_.stop();
    removeLink();
    if (keepAlive_ >= 0)
        ::close(keepAlive_);
    if (master_ >= 0)
        ::close(master_); // the last master close removes the device node
    keepAlive_ = -1;
    master_ = -1;
    slavePath_.clear();
    pending_.clear();
    paceBudget_ = 0;
    paused_ = false;
}

void PtyPort::removeLink() {
    if (linkPath_.isEmpty())
        return;
    const QByteArray link = linkPath_.toLocal8Bit();
    char target[256];
    const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
    // Someone may have pointed the link elsewhere since; leave theirs alone.
    if (n >= 0 && QString::fromLocal8Bit(target, n) == slavePath_)
        ::unlink(link.constData());
    linkPath_.clear();
}

// --- receiving -------------------------------------------------------------------------------

void PtyPort::onReadable() {
    ++readWakeups_;
    drainInput();
}

void PtyPort::drainInput() {
    char buf[4096];
    while (isOpen() && !paused_) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            emit received(QByteArray(buf, n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        pause(); // EIO or end of file: the last client closed the slave
    }
}

void PtyPort::pause() {
    paused_ = true;
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    dropped_ += pending_.size(); // nobody is listening on the line
    pending_.clear();
    paceTimer_.stop();
    reopenTimer_.start();
}

void PtyPort::tryResume() {
    // A read that no longer fails with EIO means a client has opened the slave again.
    char probe[4096];
    const ssize_t n = ::read(master_, probe, sizeof probe);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
        return;
    paused_ = false;
    reopenTimer_.stop();
    readNotifier_->setEnabled(true);
    if (n > 0)
        emit received(QByteArray(probe, n));
    drainInput();
}

// --- sending ---------------------------------------------------------------------------------

double PtyPort::bytesPerSecond() const {
    if (baud_ != kLineSpeed)
        return baud_ > 0 ? std::max(baud_ / 10.0, 1.0) : 0.0;
    // On Linux the master's termios calls reach the slave, so this is what the client set.
    // Asked afresh each time: a client may change speed at any moment (and a real port would
    // follow at once).
    termios t{};
    if (master_ < 0 || ::tcgetattr(master_, &t) != 0)
        return 0;
    return static_cast<double>(baudOf(::cfgetospeed(&t))) / bitsPerCharacter(t.c_cflag);
}

void PtyPort::write(const QByteArray& bytes) {
    if (!isOpen() || paused_ || pending_.size() + bytes.size() > kMaxPending) {
        // Like a real line: bytes that cannot go anywhere are lost, whole replies at a time.
        dropped_ += bytes.size();
        return;
    }
    pending_ += bytes;
    if (bytesPerSecond() == 0) {
        if (!writeNotifier_->isEnabled())
            flush(pending_.size());
    } else if (!paceTimer_.isActive()) {
        paceClock_.start();
        paceBudget_ = 0;
        paceTimer_.start();
    }
}

void PtyPort::flush(qsizetype budget) {
    qsizetype left = std::min(budget, pending_.size());
    while (left > 0) {
        const ssize_t n = ::write(master_, pending_.constData(), static_cast<size_t>(left));
        if (n > 0) {
            pending_.remove(0, n);
            left -= n;
            paceBudget_ -= static_cast<double>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            // The slave's input queue is full; unpaced output resumes when there is room.
            if (!paceTimer_.isActive())
                writeNotifier_->setEnabled(true);
            return;
        } else {
            dropped_ += pending_.size();
            pending_.clear();
            return;
        }
    }
}

void PtyPort::onPaceTick() {
    const double rate = bytesPerSecond();
    if (rate == 0) {
        // The client set a speed we cannot pace at: send the rest as an unpaced port would.
        paceTimer_.stop();
        paceBudget_ = 0;
        flush(pending_.size());
        return;
    }
    paceBudget_ += static_cast<double>(paceClock_.restart()) * rate / 1000.0;
    // A stalled reader must not earn a burst later: at most a tenth of a second's worth.
    paceBudget_ = std::min(paceBudget_, std::max(rate / 10.0, 1.0));
    flush(static_cast<qsizetype>(std::floor(paceBudget_)));
    if (pending_.isEmpty()) {
        paceTimer_.stop();
        paceBudget_ = 0;
    }
}

} // namespace tarvex::sim
