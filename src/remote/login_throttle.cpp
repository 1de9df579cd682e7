#include "login_throttle.h"

#include <algorithm>

namespace tarvex {

qint64 LoginThrottle::delayAfter(int failures) {
    if (failures < kFreeFailures)
        return 0;
    const int doublings = std::min(failures - kFreeFailures, 16);
    return std::min(kFirstDelayMs << doublings, kMaxDelayMs);
}

QString LoginThrottle::addressKey(const QHostAddress& address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4)
        return QHostAddress(v4).toString();
    Q_IPV6ADDR bytes = address.toIPv6Address();
    for (int i = 8; i < 16; ++i)
        bytes[i] = 0;
    return QHostAddress(bytes).toString() + QStringLiteral("/64");
}

qint64 LoginThrottle::waitMs(const QString& address) const {
    const auto it = mRecords.constFind(address);
    if (it == mRecords.cend())
        return 0;
    const qint64 readyAt = it->last + delayAfter(it->failures);
    return std::max<qint64>(0, readyAt - mClock());
}

void LoginThrottle::failed(const QString& address) {
    const qint64 now = mClock();
    prune(now);
    Record& r = mRecords[address];
    ++r.failures;
    r.last = now;
}

bool LoginThrottle::admitCheck() {
    const qint64 now = mClock();
    mCheckBudget =
        std::min(kCheckBurst, mCheckBudget + double(now - mBudgetAt) * kChecksPerSecond / 1000);
    mBudgetAt = now;
    if (mCheckBudget < 1)
        return false;
    mCheckBudget -= 1;
    return true;
}

void LoginThrottle::succeeded(const QString& address) {
    mRecords.remove(address);
}

void LoginThrottle::prune(qint64 now) {
    mRecords.removeIf([&](const auto& it) { return now - it.value().last >= kForgetMs; });
    while (mRecords.size() >= kMaxAddresses) {
        auto oldest = mRecords.begin();
        for (auto it = mRecords.begin(); it != mRecords.end(); ++it) {
            if (it->last < oldest->last)
                oldest = it;
        }
        mRecords.erase(oldest);
    }
}

} // namespace tarvex
