#pragma once

#include "remote_clock.h"

#include <QHash>
#include <QHostAddress>
#include <QString>

namespace tarvex {

// Slows password guessing per address: the first kFreeFailures failures cost nothing; after
// them each further attempt waits, 1 s after the fifth failure, doubling with every failure to
// at most 60 s. A successful login forgets the address's failures.
class LoginThrottle {
public:
    static constexpr int kFreeFailures = 5;
    static constexpr qint64 kFirstDelayMs = 1000;
    static constexpr qint64 kMaxDelayMs = 60 * 1000;
    // An address quiet this long starts afresh; the table never holds more than kMaxAddresses.
    static constexpr qint64 kForgetMs = 60 * 60 * 1000;
    static constexpr int kMaxAddresses = 4096;
    // Checking a password costs a third of a second of the one thread that also serves the
    // amplifiers; from all addresses together no more than this many a second are checked.
    static constexpr double kChecksPerSecond = 1;
    static constexpr double kCheckBurst = 3;

    explicit LoginThrottle(RemoteClock clock) : mClock(std::move(clock)) {}
    void setClock(RemoteClock clock) { mClock = std::move(clock); }

    // Milliseconds the address must still wait before its next attempt is heard; 0 when it may
    // try now.
    qint64 waitMs(const QString& address) const;
    void failed(const QString& address);
    // Whether a password may be checked now, whoever asks; counts the check.
    bool admitCheck();
    void succeeded(const QString& address);
    // The wait that follows a given number of failures.
    static qint64 delayAfter(int failures);
    // What failures are counted against: the address itself, or for IPv6 its /64 network,
    // since one machine may hold a whole /64 of addresses.
    static QString addressKey(const QHostAddress& address);

private:
    struct Record {
        int failures = 0;
        qint64 last = 0;
    };
    void prune(qint64 now);

    RemoteClock mClock;
    QHash<QString, Record> mRecords;
    double mCheckBudget = kCheckBurst;
    qint64 mBudgetAt = 0;
};

} // namespace tarvex
