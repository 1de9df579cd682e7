#include "websocket_sink.h"

namespace tarvex {

WebSocketSink::WebSocketSink(std::unique_ptr<QWebSocket> socket, QObject* parent)
    : FeedSink(parent), mSocket(std::move(socket)) {
    mSocket->setMaxAllowedIncomingMessageSize(kMaxIncoming);
    mSocket->setMaxAllowedIncomingFrameSize(kMaxIncoming);
    connect(mSocket.get(), &QWebSocket::textMessageReceived, this, &FeedSink::received);
    connect(mSocket.get(), &QWebSocket::binaryMessageReceived, this, [this] {
        close(QWebSocketProtocol::CloseCodeDatatypeNotSupported,
              QStringLiteral("text messages only"));
    });
    connect(mSocket.get(), &QWebSocket::disconnected, this, [this] {
        if (!mClosed) {
            mClosed = true;
            emit closed();
        }
    });
}

WebSocketSink::~WebSocketSink() {
    mSocket->disconnect(this);
    mSocket->abort();
}

void WebSocketSink::send(const QString& text) {
    if (!mClosed)
        mSocket->sendTextMessage(text);
}

qint64 WebSocketSink::bytesToWrite() const {
    return mSocket->bytesToWrite();
}

void WebSocketSink::close(QWebSocketProtocol::CloseCode code, const QString& reason) {
    mSocket->close(code, reason);
}

void WebSocketSink::abort() {
    mSocket->abort();
}

} // namespace tarvex
