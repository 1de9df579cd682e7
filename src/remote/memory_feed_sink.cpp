#include "memory_feed_sink.h"

namespace tarvex {

void MemoryFeedSink::send(const QString& text) {
    if (!mClosed)
        mSent << text;
}

void MemoryFeedSink::close(QWebSocketProtocol::CloseCode code, const QString&) {
    if (mClosed)
        return;
    mClosed = true;
    mCode = code;
    emit closed();
}

void MemoryFeedSink::abort() {
    if (mClosed)
        return;
    mClosed = true;
    mAborted = true;
    emit closed();
}

QStringList MemoryFeedSink::take() {
    return std::exchange(mSent, {});
}

} // namespace tarvex
