#pragma once

#include "../support/wait_until.h"

#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace tarvex::sim::test {

using tarvex::test::waitUntil;

// Runs the event loop for a while.
inline void pumpEvents(int ms) {
    waitUntil([] { return false; }, ms);
}

// The driver's end of the line, done with plain POSIX calls: opens the slave device raw and
// non-blocking, and reads while the Qt event loop keeps the simulator running.
class PtyClient {
public:
    ~PtyClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool open(const QString& path) {
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        return fd_ >= 0 && setLine(B38400);
    }
    // Raw, eight data bits, at this speed; `cflags` may add parity and a second stop bit.
    bool setLine(speed_t speed, tcflag_t cflags = 0) {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0)
            return false;
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, speed);
        t.c_cflag = (t.c_cflag & ~(PARENB | CSTOPB)) | cflags;
        return ::tcsetattr(fd_, TCSANOW, &t) == 0;
    }
    bool write(const std::string& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Reads until the text received so far contains `needle` or the time is up; returns all
    // text received (and not yet returned) either way.
    std::string readUntil(const std::string& needle, int timeoutMs = 2000) {
        waitUntil([&] { return !readSome() || buffer_.find(needle) != std::string::npos; },
                  timeoutMs);
        return std::exchange(buffer_, {});
    }
    // Waits for end of file or a read error (the device went away); false on timeout.
    bool waitForHangup(int timeoutMs = 2000) {
        return waitUntil([&] { return !readSome(); }, timeoutMs);
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
