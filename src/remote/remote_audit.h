#pragma once

#include <QMetaType>
#include <QString>

namespace tarvex {

// One thing a remote user did, for the record: a login, a failed login, a logout, a take of
// control, a command (accepted or refused, the text says which).
struct RemoteAuditEvent {
    QString kind = QStringLiteral("remote");
    QString user;    // as given at a failed login; may name nobody
    QString address; // the peer's address, as text
    QString text;    // what happened, for a reader: "band 20 m: sent to amplifier 2"
    // The module index (0 for the first amplifier, as item names and the history count), or -1
    // when the event concerns no amplifier. The text numbers amplifiers from 1.
    int amplifierIndex = -1;
};

} // namespace tarvex

Q_DECLARE_METATYPE(tarvex::RemoteAuditEvent)
