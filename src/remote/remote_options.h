#pragma once

#include <QString>
#include <QtGlobal>

namespace tarvex {

// What the remote panel is asked to do. Without TLS it listens on loopback only; off loopback it
// needs a certificate, its key and at least one user.
struct RemoteOptions {
    QString bind = QStringLiteral("127.0.0.1");
    quint16 port = 0; // 0: a free port of the system's choosing (see RemotePanel::port())
    // PEM files; both or neither.
    QString certificateFile;
    QString keyFile;
    // The users file (RemoteUsers); the program keeps it beside server.dat.
    QString usersFile;

    bool tls() const { return !certificateFile.isEmpty() || !keyFile.isEmpty(); }
    // Whether bind names this computer only ("127.0.0.1", "::1", "localhost").
    bool loopbackOnly() const;
};

} // namespace tarvex
