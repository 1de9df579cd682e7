#pragma once

#include "remote_clock.h"
#include "remote_users.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>

namespace tarvex {

// The logged-in sessions: a random 256-bit token each, ended by logout, by 30 minutes without a
// request or a command, or 12 hours after login whatever happens.
class SessionStore {
public:
    static constexpr qint64 kIdleMs = 30 * 60 * 1000;
    static constexpr qint64 kAbsoluteMs = 12 * 60 * 60 * 1000;
    static constexpr int kMaxSessions = 512; // the oldest goes when a new one would exceed it

    struct Session {
        QString user;
        RemoteUsers::Role role = RemoteUsers::Role::View;
        QString address;
        qint64 created = 0;
        qint64 lastUsed = 0;
    };

    explicit SessionStore(RemoteClock clock) : mClock(std::move(clock)) {}
    void setClock(RemoteClock clock) { mClock = std::move(clock); }

    // The new session's token, 64 hexadecimal digits, for the cookie.
    QByteArray create(const QString& user, RemoteUsers::Role role, const QString& address);
    // The live session of a token; touch counts this as use (a request or a command), which
    // keeps it from going idle. An expired session is ended here.
    std::optional<Session> find(const QByteArray& token, bool touch);
    void end(const QByteArray& token);
    // Ends the sessions the predicate picks (a removed user's, one given another role);
    // returns how many.
    int endIf(const std::function<bool(const Session&)>& pick);
    bool hasUser(const QString& user) const;
    // Ends the sessions whose time is up; returns how many.
    int expire();
    int count() const { return int(mSessions.size()); }

private:
    bool expired(const Session& s, qint64 now) const;
    // Sessions are kept under a hash of their token, so that neither the table nor the time a
    // lookup takes holds the token itself.
    static QByteArray key(const QByteArray& token);

    RemoteClock mClock;
    QHash<QByteArray, Session> mSessions;
};

} // namespace tarvex
