#pragma once

#include <QString>

namespace tarvex {

// Where the services of a run (the history, the station links) tell the user what they must
// know. The window shows it; a run without one logs it.
class UserSink {
public:
    virtual ~UserSink() = default;

    // Something failed or will not be done; said once.
    virtual void problem(const QString& message) = 0;
    // News that the next news replaces (a file found locked, and free again).
    virtual void notice(const QString& message) = 0;
    // The last news still holds, in new words (how long a lock has lasted): shown where that
    // news is still shown, and not news again.
    virtual void noticeUpdate(const QString& message) = 0;
    // A condition that lasts until the next call (a lost radio link); empty when it is over.
    virtual void status(const QString& text) = 0;
};

} // namespace tarvex
