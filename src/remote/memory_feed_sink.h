#pragma once

#include "feed_sink.h"

#include <QStringList>

namespace tarvex {

// A feed sink in memory, for tests: keeps what was sent, and lets the test say how much the
// peer has not taken yet (a slow page) and play the page's side.
class MemoryFeedSink : public FeedSink {
    Q_OBJECT

public:
    using FeedSink::FeedSink;

    void send(const QString& text) override;
    qint64 bytesToWrite() const override { return mBacklog; }
    void close(QWebSocketProtocol::CloseCode code, const QString& reason) override;
    void abort() override;

    void setBacklog(qint64 bytes) { mBacklog = bytes; }
    // Sent messages since the last call.
    QStringList take();
    // The page sends a message.
    void receive(const QString& text) { emit received(text); }
    bool isClosed() const { return mClosed; }
    bool wasAborted() const { return mAborted; }
    QWebSocketProtocol::CloseCode closeCode() const { return mCode; }

private:
    QStringList mSent;
    qint64 mBacklog = 0;
    bool mClosed = false;
    bool mAborted = false;
    QWebSocketProtocol::CloseCode mCode = QWebSocketProtocol::CloseCodeNormal;
};

} // namespace tarvex
