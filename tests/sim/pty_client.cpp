#include "pty_client.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace tarvex::sim::test {

namespace {

void pumpOnce() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(500);
}

} // namespace

void pumpEvents(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        pumpOnce();
}

PtyClient::~PtyClient() {
    close();
}

bool PtyClient::open(const QString& path) {
    close();
    fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    termios t{};
    if (::tcgetattr(fd_, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd_, TCSANOW, &t);
    }
    return true;
}

void PtyClient::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    buffer_.clear();
}

bool PtyClient::write(const std::string& bytes) {
    return fd_ >= 0 &&
           ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

bool PtyClient::readSome() {
    char buf[1024];
    for (;;) {
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n > 0) {
            buffer_.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        return n < 0 && (errno == EAGAIN || errno == EINTR);
    }
}

std::string PtyClient::readUntil(const std::string& needle, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (fd_ >= 0 && buffer_.find(needle) == std::string::npos && t.elapsed() < timeoutMs) {
        pumpOnce();
        if (!readSome())
            break;
    }
    std::string out;
    out.swap(buffer_);
    return out;
}

bool PtyClient::waitForHangup(int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (fd_ >= 0 && t.elapsed() < timeoutMs) {
        pumpOnce();
        if (!readSome())
            return true;
    }
    return false;
}

} // namespace tarvex::sim::test
