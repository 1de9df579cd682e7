#pragma once

#include "ampctl_limits.h"
#include "amplifier_items.h"
#include "peak_hold.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <vector>

namespace tarvex {

class AmpctlConnection;
class BandSwitch;

// Serves one amplifier to station software on one TCP port in the amplifier daemon's
// protocol, to at most AmpctlLimits::maxClients clients at a time. A full server makes room for
// a newcomer by closing the client silent the longest, once that has been silent for
// AmpctlLimits::idle; else the newcomer is refused.
class AmpctlServer : public QObject {
    Q_OBJECT

public:
    AmpctlServer(AmplifierItems amp, BandSwitch& bands, AmpctlLimits limits = {},
                 QObject* parent = nullptr);
    ~AmpctlServer() override;

    // False with *error when the port cannot be had.
    bool listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return mServer.serverPort(); }
    // Those that said "q" count until their socket is gone.
    int clientCount() const { return static_cast<int>(mClients.size()); }

signals:
    void clientsChanged();

private:
    void mServer_newConnection();
    bool makeRoom();
    void forget(AmpctlConnection* client);

    AmplifierItems mAmp;
    BandSwitch& mBands;
    AmpctlLimits mLimits;
    PeakHold mPeak;
    QTcpServer mServer;
    std::vector<AmpctlConnection*> mClients; // deleted later: one may be in its own signal
};

} // namespace tarvex
