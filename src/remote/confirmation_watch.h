#pragma once

#include "remote_amplifier.h"
#include "remote_control.h"

#include <QJsonObject>

#include <map>

namespace tarvex {

// What was asked of one amplifier and not yet confirmed by its own report. A control waits
// until the amplifier reports the asked value, or turns back after kConfirmMs with a short
// "not confirmed" note that stays kNoteMs. Kept on the server so every page shows the same.
class ConfirmationWatch {
public:
    static constexpr qint64 kConfirmMs = 5000;
    static constexpr qint64 kNoteMs = 5000;

    enum class Status { Waiting, NotConfirmed };

    // Whether the amplifier's own report shows the control at the value.
    static bool confirmed(const RemoteAmplifier& amp, RemoteControl control, int value);

    void expect(RemoteControl control, int value, qint64 now);
    // Settles what the amplifier confirmed and what ran out of time; true when anything shown
    // changed.
    bool evaluate(const RemoteAmplifier& amp, qint64 now);
    bool empty() const { return mPending.empty(); }
    std::optional<Status> status(RemoteControl control) const;
    void clear() { mPending.clear(); }

    // {"band": {"asked": 5, "status": "waiting"}, "high": {"asked": true, ...}}
    QJsonObject toJson() const;

private:
    struct Pending {
        int value = 0;
        qint64 deadline = 0;
        Status status = Status::Waiting;
    };
    std::map<RemoteControl, Pending> mPending;
};

} // namespace tarvex
