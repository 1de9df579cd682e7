#pragma once

#include <QObject>
#include <QString>
#include <QWebSocketProtocol>

namespace tarvex {

// Where one page's feed goes: a WebSocket in the program, memory in tests. Sends never block;
// what the peer has not taken yet shows in bytesToWrite.
class FeedSink : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void send(const QString& text) = 0;
    virtual qint64 bytesToWrite() const = 0;
    // Closes after what was sent has gone out; closed follows.
    virtual void close(QWebSocketProtocol::CloseCode code, const QString& reason) = 0;
    // Drops the connection and whatever it has not sent; closed follows.
    virtual void abort() = 0;

signals:
    void received(const QString& text);
    // The connection is gone; raised once.
    void closed();
};

} // namespace tarvex
