#include "ampctl_server.h"

#include "ampctl_connection.h"
#include "ampctl_interpreter.h"
#include "station_log.h"

#include <QTcpSocket>

#include <algorithm>

namespace tarvex {

AmpctlServer::AmpctlServer(AmplifierItems amp, BandSwitch& bands, AmpctlLimits limits,
                           QObject* parent)
    : QObject(parent), mAmp(std::move(amp)), mBands(bands), mLimits(limits) {
    // A burst of connections must not fill the queue before the next client.
    mServer.setListenBacklogSize(limits.listenBacklog);
    connect(&mServer, &QTcpServer::newConnection, this, &AmpctlServer::mServer_newConnection);
    if (const ItemPtr forward = mAmp.item(QStringLiteral("pfwd"))) {
        mPeak.add(mAmp.integer(QStringLiteral("pfwd")));
        connect(forward.get(), &Item::ValueChange, this,
                [this] { mPeak.add(mAmp.integer(QStringLiteral("pfwd"))); });
    }
}

AmpctlServer::~AmpctlServer() {
    for (AmpctlConnection* client : mClients) {
        client->disconnect(this);
        client->abandon();
        client->deleteLater();
    }
}

bool AmpctlServer::listen(const QHostAddress& address, quint16 port, QString* error) {
    if (mServer.listen(address, port))
        return true;
    if (error)
        *error = QStringLiteral("%1 cannot listen on %2 port %3: %4")
                     .arg(mAmp.title(), address.toString())
                     .arg(port)
                     .arg(mServer.errorString());
    return false;
}

void AmpctlServer::mServer_newConnection() {
    while (QTcpSocket* socket = mServer.nextPendingConnection()) {
        if (clientCount() >= mLimits.maxClients) {
            // A burst of connections that close at once must not hold the places of those
            // after them until the event loop notices.
            const std::vector<AmpctlConnection*> clients = mClients;
            for (AmpctlConnection* client : clients)
                client->checkGone();
        }
        if (clientCount() >= mLimits.maxClients && !makeRoom()) {
            qCInfo(lcStation).noquote()
                << mAmp.title() << "refused a client: already" << mLimits.maxClients
                << "and none silent for" << mLimits.idle.count() / 1000 << "s";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* client =
            new AmpctlConnection(socket, std::make_unique<AmpctlInterpreter>(mAmp, mPeak, mBands),
                                 mLimits, mAmp.title());
        connect(client, &AmpctlConnection::finished, this, [this, client] { forget(client); });
        mClients.push_back(client);
        emit clientsChanged();
    }
}

bool AmpctlServer::makeRoom() {
    AmpctlConnection* idlest = nullptr;
    for (AmpctlConnection* client : mClients) {
        if (!client->closing() && client->silence() >= mLimits.idle &&
            (!idlest || client->silence() > idlest->silence()))
            idlest = client;
    }
    if (!idlest)
        return false;
    idlest->drop(
        QStringLiteral("silent for %1 s, to make room for a new client")
            .arg(std::chrono::duration_cast<std::chrono::seconds>(idlest->silence()).count()));
    return true;
}

void AmpctlServer::forget(AmpctlConnection* client) {
    const auto it = std::find(mClients.begin(), mClients.end(), client);
    if (it == mClients.end())
        return;
    mClients.erase(it);
    client->deleteLater();
    emit clientsChanged();
}

} // namespace tarvex
