#include "session_store.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <array>

namespace tarvex {

QByteArray SessionStore::key(const QByteArray& token) {
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256);
}

QByteArray SessionStore::create(const QString& user, RemoteUsers::Role role,
                                const QString& address) {
    expire();
    if (mSessions.size() >= kMaxSessions) {
        auto oldest = mSessions.begin();
        for (auto it = mSessions.begin(); it != mSessions.end(); ++it) {
            if (it->created < oldest->created)
                oldest = it;
        }
        mSessions.erase(oldest);
    }
    std::array<quint32, 8> random{};
    QRandomGenerator::system()->fillRange(random.data(), random.size());
    const QByteArray token =
        QByteArray(reinterpret_cast<const char*>(random.data()), sizeof random).toHex();
    const qint64 now = mClock();
    mSessions.insert(key(token), Session{user, role, address, now, now});
    return token;
}

bool SessionStore::expired(const Session& s, qint64 now) const {
    return now - s.lastUsed >= kIdleMs || now - s.created >= kAbsoluteMs;
}

std::optional<SessionStore::Session> SessionStore::find(const QByteArray& token, bool touch) {
    if (token.isEmpty())
        return std::nullopt;
    const auto it = mSessions.find(key(token));
    if (it == mSessions.end())
        return std::nullopt;
    const qint64 now = mClock();
    if (expired(*it, now)) {
        mSessions.erase(it);
        return std::nullopt;
    }
    if (touch)
        it->lastUsed = now;
    return *it;
}

void SessionStore::end(const QByteArray& token) {
    mSessions.remove(key(token));
}

int SessionStore::endIf(const std::function<bool(const Session&)>& pick) {
    return int(mSessions.removeIf([&](const auto& it) { return pick(it.value()); }));
}

bool SessionStore::hasUser(const QString& user) const {
    const qint64 now = mClock();
    for (const Session& s : mSessions) {
        if (s.user == user && !expired(s, now))
            return true;
    }
    return false;
}

int SessionStore::expire() {
    const qint64 now = mClock();
    return int(mSessions.removeIf([&](const auto& it) { return expired(it.value(), now); }));
}

} // namespace tarvex
