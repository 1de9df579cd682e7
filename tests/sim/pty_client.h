#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace tarvex::sim::test {

// Runs the event loop for a while.
inline void pumpEvents(int ms) {
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    } while (t.elapsed() < ms);
}

// The driver's end of the line, done with plain POSIX calls: opens the slave device raw and
// non-blocking, and reads while the Qt event loop keeps the simulator running.
class PtyClient {
public:
    PtyClient() = default;
    ~PtyClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool open(const QString& path) {
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios t{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(fd_, TCSANOW, &t);
        }
        return fd_ >= 0;
    }
    bool write(const std::string& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Reads until the text received so far contains `needle` or the time is up; returns all
    // text received (and not yet returned) either way.
    std::string readUntil(const std::string& needle, int timeoutMs = 2000) {
        QElapsedTimer t;
        t.start();
        while (buffer_.find(needle) == std::string::npos && t.elapsed() < timeoutMs && readSome())
            pumpEvents(0);
        return std::exchange(buffer_, {});
    }
    // Waits for end of file or a read error (the device went away); false on timeout.
    bool waitForHangup(int timeoutMs = 2000) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (!readSome())
                return true;
            pumpEvents(0);
        }
        return false;
    }

private:
    bool readSome() { // false once the line is gone
        char buf[1024];
        ssize_t n;
        while ((n = ::read(fd_, buf, sizeof buf)) > 0)
            buffer_.append(buf, static_cast<std::size_t>(n));
        return n < 0 && (errno == EAGAIN || errno == EINTR);
    }

    int fd_ = -1;
    std::string buffer_;
};

} // namespace tarvex::sim::test
