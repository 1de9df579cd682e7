#pragma once

#include "amplifier_items.h"
#include "peak_hold.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <map>
#include <memory>

class QTcpSocket;

namespace tarvex {

class AmpctlInterpreter;
class BandSwitch;

// Serves one amplifier to station software on one TCP port in the amplifier daemon's
// protocol. Whatever a client sends costs only that client its connection: a line over
// kMaxLine, or replies it leaves unread beyond kMaxBacklog.
class AmpctlServer : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxClients = 8;
    static constexpr qsizetype kMaxLine = 1024;
    static constexpr qint64 kMaxBacklog = 64 * 1024;

    AmpctlServer(AmplifierItems amp, BandSwitch& bands, QObject* parent = nullptr);
    ~AmpctlServer() override;

    // False with *error when the port cannot be had.
    bool listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return mServer.serverPort(); }
    int clientCount() const { return static_cast<int>(mClients.size()); }

signals:
    void clientsChanged();

private:
    void mServer_newConnection();
    void readClient(QTcpSocket* socket);
    void drop(QTcpSocket* socket);

    AmplifierItems mAmp;
    BandSwitch& mBands;
    PeakHold mPeak;
    QTcpServer mServer;
    std::map<QTcpSocket*, std::unique_ptr<AmpctlInterpreter>> mClients;
};

} // namespace tarvex
