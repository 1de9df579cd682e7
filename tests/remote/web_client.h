#pragma once

#include "remote_fixture.h"

#include <QSslSocket>
#include <QWebSocket>

namespace tarvex::test {

// One HTTP exchange over a raw socket, so that every header the server sends can be seen.
struct HttpReply {
    int status = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QByteArray header(const QByteArray& name) const {
        for (const auto& [k, v] : headers) {
            if (k.compare(name, Qt::CaseInsensitive) == 0)
                return v;
        }
        return {};
    }
};

inline HttpReply http(quint16 port, const QByteArray& method, const QByteArray& path,
                      const QByteArray& headers = {}, const QByteArray& body = {},
                      bool tls = false, const QByteArray& host = "127.0.0.1") {
    QSslSocket s;
    s.setPeerVerifyMode(QSslSocket::VerifyNone);
    if (tls)
        s.connectToHostEncrypted("127.0.0.1", port);
    else
        s.connectToHost(QHostAddress::LocalHost, port);
    s.write(method + ' ' + path + " HTTP/1.1\r\nHost: " + host + ':' + QByteArray::number(port) +
            "\r\nConnection: close\r\n" + headers + "Content-Length: " +
            QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray raw;
    qsizetype end = -1;
    waitUntil([&] {
        raw += s.readAll();
        end = raw.indexOf("\r\n\r\n");
        const qsizetype at = raw.toLower().indexOf("content-length:");
        return end > 0 && raw.size() >= end + 4 + raw.mid(at + 15, 12).split('\r')[0].trimmed().toInt();
    });
    HttpReply reply;
    const QList<QByteArray> lines = raw.left(end).split('\n');
    reply.status = lines.value(0).split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        reply.headers.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
    }
    reply.body = raw.mid(end + 4);
    return reply;
}

// A page's WebSocket: what it received, and how it was closed.
struct FeedPage {
    FeedPage(quint16 port, const QByteArray& cookie, const QString& origin, bool tls = false,
             const QByteArray& path = "/ws") : socket(origin) {
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString& m) { messages << QJsonDocument::fromJson(m.toUtf8()).object(); });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
        if (tls)
            QObject::connect(&socket, &QWebSocket::sslErrors, [this] { socket.ignoreSslErrors(); });
        QNetworkRequest request(QUrl(QString("%1://127.0.0.1:%2%3")
                                         .arg(tls ? "wss" : "ws")
                                         .arg(port)
                                         .arg(QString(path))));
        if (!cookie.isEmpty())
            request.setRawHeader("Cookie", cookie);
        socket.open(request);
    }
    // The first message of a type (that the predicate accepts), waited for and taken; empty
    // when the socket closed first.
    QJsonObject take(const QString& type, const std::function<bool(const QJsonObject&)>& pick = {}) {
        QJsonObject found;
        waitUntil([&] {
            for (qsizetype i = 0; i < messages.size(); ++i) {
                if (messages[i]["type"] == type && (!pick || pick(messages[i]))) {
                    found = messages.takeAt(i);
                    return true;
                }
            }
            return closed;
        });
        return found;
    }
    void send(const QByteArray& json) { socket.sendTextMessage(QString::fromUtf8(json)); }

    QWebSocket socket;
    QList<QJsonObject> messages;
    bool closed = false;
};

} // namespace tarvex::test
