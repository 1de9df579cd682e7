#pragma once

#include "feed_sink.h"

#include <QWebSocket>

#include <memory>

namespace tarvex {

// A page's WebSocket as a feed sink. Incoming messages are capped in size: a page sends short
// commands only.
class WebSocketSink : public FeedSink {
    Q_OBJECT

public:
    static constexpr quint64 kMaxIncoming = 4096;

    explicit WebSocketSink(std::unique_ptr<QWebSocket> socket, QObject* parent = nullptr);
    ~WebSocketSink() override;

    void send(const QString& text) override;
    qint64 bytesToWrite() const override;
    void close(QWebSocketProtocol::CloseCode code, const QString& reason) override;
    void abort() override;

private:
    std::unique_ptr<QWebSocket> mSocket;
    bool mClosed = false;
};

} // namespace tarvex
