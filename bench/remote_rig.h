#pragma once

// What the remote panel's benchmarks share: an amplifier played by hand on the master side of
// a pseudo-terminal (its lines time-stamped as they arrive), and a WebSocket client that logs
// in and speaks the page's protocol.
#include <QJsonObject>
#include <QString>
#include <QWebSocket>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarvex::bench {

using Clock = std::chrono::steady_clock;

// An amplifier on a pseudo-terminal: answers the driver's start-up (on, operating, the
// sim's calibration words) and its OPER commands, and notes when each command line arrived.
class HandAmplifier {
public:
    HandAmplifier();
    ~HandAmplifier();
    HandAmplifier(const HandAmplifier&) = delete;
    HandAmplifier& operator=(const HandAmplifier&) = delete;

    bool ok() const { return !mSlave.isEmpty(); }
    const QString& slave() const { return mSlave; }
    void write(const std::string& line); // CR LF appended
    // How many lines have arrived so far; and whether the one after the first `since` is
    // `line`, with its time of arrival.
    std::uint64_t serial() const;
    bool arrivedAfter(std::uint64_t since, const std::string& line, Clock::time_point* at) const;
    std::size_t linesHeard() const { return mHeard; }
    // Writes metering lines back to back at the line rate of baud (ten bits a byte) from a
    // thread of its own until stopped, each one changing every meter.
    void startMetering(int baud);
    void stopMetering();

private:
    void read();

    int mMaster = -1;
    QString mSlave;
    std::mutex mWriteLock;
    mutable std::mutex mLock;
    // Every line heard, with when; a benchmark reads a few hundred.
    std::vector<std::pair<std::string, Clock::time_point>> mLines;
    std::atomic<std::size_t> mHeard{0};
    std::atomic<bool> mStop{false};
    std::atomic<bool> mMeterStop{false};
    std::thread mReader;
    std::thread mMeter;
};

// A page of the remote panel without a browser: logs in over HTTP, opens the feed, sends
// requests and hands every message it receives (parsed) to onMessage, in the event loop.
class FeedClient {
public:
    // Logs in as user; the session cookie, empty when refused.
    static QByteArray logIn(quint16 port, const QString& user, const QString& password);

    FeedClient(quint16 port, const QByteArray& cookie);
    bool helloSeen() const { return mHello; }
    void send(const QJsonObject& request);
    std::function<void(const QJsonObject&)> onMessage;

private:
    QWebSocket mSocket;
    bool mHello = false;
};

// Runs the event loop until done() holds or timeoutMs passed; whether it held.
bool runUntil(const std::function<bool()>& done, int timeoutMs);
void runEventLoopFor(int ms);
double percentile(std::vector<double> v, double p);

} // namespace tarvex::bench
