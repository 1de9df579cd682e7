#pragma once

#include <functional>

namespace tarvex {

// Runs its work once, after the event loop has finished the pass under way: the report line
// or the piece of input being handled is then whole. Everything asked for in one pass on a
// thread shares a single posted event, instead of one per listener and line; on a metering
// line every listener would otherwise pay for its own.
//
// Work asked for while the pass's work runs waits for the next pass. A hook destroyed before
// its turn is simply left out.
//
// A reader that handles its whole input in one call (a driver's receive handler) may close the
// pass itself with a PassScope: work asked for while one is open runs as the outermost closes,
// with no posted event and no extra turn of the event loop for every line that arrives alone.
class PassEndHook {
public:
    explicit PassEndHook(std::function<void()> work);
    ~PassEndHook();
    PassEndHook(const PassEndHook&) = delete;
    PassEndHook& operator=(const PassEndHook&) = delete;

    // Asks for the work after this pass; asking again before it ran changes nothing.
    void request();
    // Forgets a request not yet run.
    void cancel();
    bool pending() const { return mPending; }

private:
    friend class PassEndQueue;
    std::function<void()> mWork;
    bool mPending = false;
};

class PassScope {
public:
    PassScope();
    ~PassScope();
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;
};

} // namespace tarvex
