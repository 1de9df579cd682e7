#include "feed_client.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace tarvex {

FeedClient::FeedClient(std::unique_ptr<FeedSink> sink, ClientIdentity who, QObject* parent)
    : QObject(parent), mSink(std::move(sink)), mWho(std::move(who)) {
    connect(mSink.get(), &FeedSink::received, this, [this](const QString& text) {
        if (!mEnding)
            emit received(this, text);
    });
    connect(mSink.get(), &FeedSink::closed, this, [this] {
        if (mGone)
            return;
        mGone = true;
        mEnding = true;
        emit closed(this);
    });
}

FeedClient::~FeedClient() {
    mSink->disconnect(this);
}

void FeedClient::send(const QString& text) {
    if (!mEnding)
        mSink->send(text);
}

void FeedClient::deliver(const QString& update, const std::function<QString()>& snapshot,
                         qint64 now) {
    if (mEnding) {
        if (!mGone && now - mEndingSince >= kEndingMs)
            mSink->abort();
        return;
    }
    const qint64 backlog = mSink->bytesToWrite();
    if (mBehind) {
        if (backlog > kHardLimit || now - mBehindSince >= kStuckMs) {
            // Nothing more would reach it, a close frame included.
            mEnding = true;
            mSink->abort();
            return;
        }
        if (backlog <= kDrained) {
            mBehind = false;
            mSink->send(snapshot());
        }
        return;
    }
    if (update.isEmpty())
        return;
    if (backlog > kSoftLimit) {
        mBehind = true;
        mBehindSince = now;
        return;
    }
    mSink->send(update);
}

bool FeedClient::admitCommand(qint64 now) {
    mCommandBudget = std::min(kCommandsPerSecond,
                              mCommandBudget + double(now - mBudgetAt) * kCommandsPerSecond / 1000);
    mBudgetAt = now;
    if (mCommandBudget < 1)
        return false;
    mCommandBudget -= 1;
    return true;
}

void FeedClient::end(QWebSocketProtocol::CloseCode code, const QString& reason, bool loginAgain,
                     qint64 now) {
    if (mEnding)
        return;
    const QJsonObject bye{{QStringLiteral("type"), QStringLiteral("bye")},
                          {QStringLiteral("reason"), reason},
                          {QStringLiteral("login"), loginAgain}};
    mSink->send(QString::fromUtf8(QJsonDocument(bye).toJson(QJsonDocument::Compact)));
    mEnding = true;
    mEndingSince = now;
    mSink->close(code, reason.left(120)); // a close frame's reason is at most 123 bytes
}

} // namespace tarvex
