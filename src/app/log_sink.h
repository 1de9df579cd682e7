#pragma once

#include "user_sink.h"

namespace tarvex {

// What the user must be told, as lines of the event log: problems as warnings, news and
// lasting conditions once each, as they begin.
class LogSink : public UserSink {
public:
    void problem(const QString& message) override;
    void notice(const QString& message) override;
    // Not logged: the log said the news once, and a lock's seconds would fill it.
    void noticeUpdate(const QString& message) override;
    void status(const QString& text) override;
};

} // namespace tarvex
