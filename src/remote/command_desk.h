#pragma once

#include "control_holder.h"
#include "feed_client.h"
#include "remote_clock.h"
#include "remote_feed.h"
#include "remote_request.h"

#include <QString>

namespace tarvex {

// Carries out what a page asks, after the server's own checks: the user's role, who holds
// control, whether the amplifier can be reached and is on, and never a band change under
// power. A command acts only by writing the item a desktop click writes, and is then watched
// until the amplifier's report confirms it.
class CommandDesk {
public:
    struct Outcome {
        bool ok = false;
        QString text;            // for the reply: what was done, or why not
        QString record;          // for the audit trail
        int amplifierIndex = -1; // the module index, or -1
        QString previousHolder;  // control was taken from this user
    };

    CommandDesk(RemoteFeed& feed, ControlHolder& control, RemoteClock clock)
        : mFeed(feed), mControl(control), mClock(std::move(clock)) {}
    void setClock(RemoteClock clock) { mClock = std::move(clock); }

    Outcome carryOut(const ClientIdentity& who, const RemoteRequest& request);

    // "band 20 m", "mains on", "DEFAULT": a command as a reader of the record says it.
    static QString describe(RemoteControl control, int value);

private:
    Outcome command(const ClientIdentity& who, const RemoteRequest& request);
    Outcome acknowledge(const ClientIdentity& who, const RemoteRequest& request);
    Outcome allStandby();

    RemoteFeed& mFeed;
    ControlHolder& mControl;
    RemoteClock mClock;
};

} // namespace tarvex
