#pragma once

#include "remote_control.h"

#include <QJsonValue>
#include <QString>

#include <optional>

namespace tarvex {

// One message from a page, checked for form, type and range; whether it may act is decided
// where it is carried out.
struct RemoteRequest {
    enum class Type { Command, Take, Release, Acknowledge, AllStandby };

    static constexpr int kMaxIdLength = 64;

    Type type = Type::Command;
    QJsonValue id; // echoed in the reply; null when the page gave none
    int amplifier = 0; // numbered from 1, as the page shows it (commands, acknowledge)
    RemoteControl control = RemoteControl::Power;
    int value = 0; // a switch reads 0 or 1; a key 1

    // Nullopt with the reason a page can show when the text is not a valid request; *id gets
    // the request's id when it could be read, so that even a refusal answers to it.
    static std::optional<RemoteRequest> parse(const QString& text, QString* reason, QJsonValue* id);
};

} // namespace tarvex
