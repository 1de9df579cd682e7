#pragma once

#include "remote_clock.h"

#include <QObject>
#include <QString>

namespace tarvex {

// Who operates the station from afar: at most one remote user at a time. The first operator to
// act while nobody holds control takes it; another must take it explicitly; it lapses after ten
// minutes without a command. Use of the desktop is noted beside it, for everyone to see.
class ControlHolder : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kLapseMs = 10 * 60 * 1000;
    static constexpr qint64 kLocalRecentMs = 60 * 1000;

    explicit ControlHolder(RemoteClock clock, QObject* parent = nullptr);
    void setClock(RemoteClock clock) { mClock = std::move(clock); }

    // Empty while nobody holds control.
    QString holder() const { return mHolder; }
    qint64 since() const { return mSince; }
    // Whether the user may command now; takes control when nobody holds it. Counts as the
    // holder's activity. *why says who holds it when the answer is no.
    bool act(const QString& user, QString* why);
    // Takes control from whoever holds it; returns who held it before (empty when nobody else).
    QString take(const QString& user);
    // Gives control up when this user holds it.
    void release(const QString& user);
    // Ends a holding that has lapsed, and a note of local use that is no longer recent.
    void expire();

    void noteLocalUse();
    // Whether the desktop was used within the last minute, and when last.
    bool localActive() const;
    qint64 localLastUse() const { return mLocalLastUse; }

signals:
    // The holder or the local note changed.
    void changed();

private:
    RemoteClock mClock;
    QString mHolder;
    qint64 mSince = 0;
    qint64 mLastCommand = 0;
    qint64 mLocalLastUse = 0;
    bool mLocalShown = false;
};

} // namespace tarvex
