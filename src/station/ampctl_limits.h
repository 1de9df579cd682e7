#pragma once

#include <QtGlobal>

#include <chrono>

namespace tarvex {

// What the amplifier server allows its clients. Whatever a client does costs only that client
// its connection, and never delays another client or a panel.
struct AmpctlLimits {
    int maxClients = 8;
    qsizetype maxLine = 1024;
    // Replies written but not taken by the client, beyond what the system buffers for it.
    qint64 maxBacklog = 64 * 1024;
    // What the system buffers of one client's replies; 0 leaves it to the system.
    int sendBuffer = 64 * 1024;
    // Set commands: a burst, then a steady rate. A client held back for floodClose without a
    // break is closed.
    int setBurst = 10;
    double setsPerSecond = 5;
    std::chrono::milliseconds floodClose{20000};
    // A full server makes room for a newcomer by closing a client silent for this long.
    std::chrono::milliseconds idle{60000};
    // A client that said "q" has this long to take its last replies.
    std::chrono::milliseconds closeGrace{2000};
    // Lines of one client handled before the others get their turn.
    int linesPerTurn = 64;
    int listenBacklog = 256;
};

} // namespace tarvex
