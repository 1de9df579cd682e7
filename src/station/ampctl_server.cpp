#include "ampctl_server.h"

#include "ampctl_interpreter.h"
#include "station_log.h"

#include <QTcpSocket>

namespace tarvex {

AmpctlServer::AmpctlServer(AmplifierItems amp, BandSwitch& bands, QObject* parent)
    : QObject(parent), mAmp(std::move(amp)), mBands(bands) {
    connect(&mServer, &QTcpServer::newConnection, this, &AmpctlServer::mServer_newConnection);
    if (const ItemPtr forward = mAmp.item(QStringLiteral("pfwd"))) {
        mPeak.add(mAmp.integer(QStringLiteral("pfwd")));
        connect(forward.get(), &Item::ValueChange, this,
                [this] { mPeak.add(mAmp.integer(QStringLiteral("pfwd"))); });
    }
}

AmpctlServer::~AmpctlServer() {
    for (auto& [socket, interpreter] : mClients) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
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
        if (clientCount() >= kMaxClients) {
            qCInfo(lcStation) << mAmp.title() << "refused a client: already" << kMaxClients;
            socket->abort();
            socket->deleteLater();
            continue;
        }
        mClients.emplace(socket, std::make_unique<AmpctlInterpreter>(mAmp, mPeak, mBands));
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readClient(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        emit clientsChanged();
    }
}

void AmpctlServer::readClient(QTcpSocket* socket) {
    const auto client = mClients.find(socket);
    if (client == mClients.end())
        return;
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(kMaxLine + 1);
        if (!line.endsWith('\n')) {
            qCInfo(lcStation) << mAmp.title() << "closed a client: line over" << kMaxLine;
            drop(socket);
            return;
        }
        const AmpctlInterpreter::Reply reply = client->second->handle(line);
        socket->write(reply.text);
        if (socket->bytesToWrite() > kMaxBacklog) { // a client that does not read its replies
            drop(socket);
            return;
        }
        if (reply.close) {
            // The replies to the lines before "q" still go out: the socket is freed only once
            // they are written, as deleting it earlier would throw them away.
            mClients.erase(client);
            socket->disconnect(this);
            connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            emit clientsChanged();
            return;
        }
    }
    if (socket->bytesAvailable() > kMaxLine) {
        qCInfo(lcStation) << mAmp.title() << "closed a client: line over" << kMaxLine;
        drop(socket);
    }
}

void AmpctlServer::drop(QTcpSocket* socket) {
    const auto client = mClients.find(socket);
    if (client == mClients.end())
        return;
    mClients.erase(client);
    socket->disconnect(this);
    if (socket->state() != QAbstractSocket::UnconnectedState &&
        socket->state() != QAbstractSocket::ClosingState)
        socket->abort();
    socket->deleteLater();
    emit clientsChanged();
}

} // namespace tarvex
