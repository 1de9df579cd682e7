#pragma once

#include <QString>

#include <string>

namespace tarvex::sim::test {

// The driver's end of the line, done with plain POSIX calls: opens the slave device raw and
// non-blocking, and reads while the Qt event loop keeps the simulator running.
class PtyClient {
public:
    PtyClient() = default;
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool open(const QString& path);
    void close();
    bool write(const std::string& bytes);

    // Reads until the text received so far contains `needle` or the time is up; returns all
    // text received (and not yet returned) either way.
    std::string readUntil(const std::string& needle, int timeoutMs = 2000);
    // Waits for end of file or a read error (the device went away); false on timeout.
    bool waitForHangup(int timeoutMs = 2000);

private:
    bool readSome(); // false once the line is gone

    int fd_ = -1;
    std::string buffer_;
};

// Runs the event loop for a while.
void pumpEvents(int ms);

} // namespace tarvex::sim::test
