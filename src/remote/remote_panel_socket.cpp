// The remote panel's WebSocket side: which pages are let in, and what they ask.
#include "remote_panel.h"

#include "command_desk.h"
#include "remote_feed.h"
#include "remote_log.h"
#include "session_store.h"
#include "web_security.h"
#include "websocket_sink.h"

#include "core/guard.h"

#include <QHttpServer>
#include <QJsonObject>
#include <QTimer>
#include <QWebSocket>

namespace tarvex {

namespace {
constexpr int kRejectGraceMs = 5000;
} // namespace

void RemotePanel::acceptSockets() {
    while (mHttp && mHttp->hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = mHttp->nextPendingWebSocketConnection();
        if (!socket)
            continue;
        // Every upgrade reaches here, whatever its path, and nothing has checked it yet.
        const QNetworkRequest request = socket->request();
        const QByteArray host = request.rawHeader("Host");
        if (socket->requestUrl().path() != u"/ws") {
            reject(std::move(socket), QStringLiteral("no feed there"));
            continue;
        }
        if (!web::sameOrigin(socket->origin().toUtf8(), host, tls())) {
            reject(std::move(socket), QStringLiteral("origin not allowed"));
            continue;
        }
        const QByteArray token =
            web::cookieValue(request.rawHeader("Cookie"), web::kSessionCookie);
        const auto session = mSessions->find(token, false);
        if (!session) {
            reject(std::move(socket), QStringLiteral("not logged in"));
            continue;
        }
        ClientIdentity who{session->user, session->role, token,
                           socket->peerAddress().toString()};
        mFeed->addClient(std::make_unique<WebSocketSink>(std::move(socket)), std::move(who));
    }
}

void RemotePanel::reject(std::unique_ptr<QWebSocket> socket, const QString& reason) {
    qCInfo(lcRemote).noquote() << "WebSocket from" << socket->peerAddress().toString()
                               << "refused:" << reason;
    // Kept until its close has gone out; one that does not let it go is dropped.
    QWebSocket* s = socket.release();
    s->setParent(this);
    connect(s, &QWebSocket::disconnected, s, &QObject::deleteLater);
    QTimer::singleShot(kRejectGraceMs, s, [s] { s->abort(); });
    s->close(QWebSocketProtocol::CloseCodePolicyViolated, reason);
}

void RemotePanel::handleRequest(FeedClient* client, const QString& text) {
    guarded(lcRemote(), "remote request", [&] {
        const ClientIdentity who = client->identity();
        const auto reply = [&](bool ok, const QJsonValue& id, const QString& said) {
            client->send(RemoteFeed::text({{QStringLiteral("type"), QStringLiteral("reply")},
                                           {QStringLiteral("id"), id},
                                           {QStringLiteral("ok"), ok},
                                           {ok ? QStringLiteral("text") : QStringLiteral("reason"),
                                            said}}));
        };
        QString problem;
        QJsonValue id;
        const auto request = RemoteRequest::parse(text, &problem, &id);
        // Counted whatever they are: a flood of nonsense costs as much as one of commands.
        if (!client->admitCommand(mClock())) {
            reply(false, id, tr("Too many requests: wait a moment"));
            return;
        }
        if (!request) {
            reply(false, id, problem);
            return;
        }
        // A command is use: it keeps the session from going idle.
        if (!mSessions->find(who.session, true)) {
            client->end(QWebSocketProtocol::CloseCodeNormal,
                        tr("Your session has ended: log in again"), true, mClock());
            return;
        }
        const CommandDesk::Outcome outcome = mDesk->carryOut(who, *request);
        reply(outcome.ok, id, outcome.text);
        if (!outcome.record.isEmpty())
            record(who.user, who.address, outcome.record, outcome.amplifierIndex);
        if (!outcome.previousHolder.isEmpty()) {
            // At once, not with the next tick: the previous holder must know before acting.
            mFeed->tell(outcome.previousHolder,
                        {{QStringLiteral("type"), QStringLiteral("notice")},
                         {QStringLiteral("text"),
                          tr("%1 took control from you").arg(who.user)}});
        }
    });
}

} // namespace tarvex
