#pragma once

#include "feed_sink.h"
#include "remote_users.h"

#include <QByteArray>
#include <QObject>

#include <functional>
#include <memory>

namespace tarvex {

// Whose page a feed client is.
struct ClientIdentity {
    QString user;
    RemoteUsers::Role role = RemoteUsers::Role::View;
    QByteArray session; // the session token; the page lives as long as its session
    QString address;
};

// One connected page. Its updates are never buffered without bound: past kSoftLimit unsent
// bytes they are dropped and the page gets the whole latest state once it has drained; past
// kHardLimit, or behind for kStuckMs, it is closed.
class FeedClient : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kSoftLimit = 32 * 1024;
    static constexpr qint64 kDrained = 8 * 1024;
    static constexpr qint64 kHardLimit = 128 * 1024;
    static constexpr qint64 kStuckMs = 20 * 1000;
    // Commands a page may send per second (and at once): more is no operator clicking.
    static constexpr double kCommandsPerSecond = 10;
    static constexpr qint64 kEndingMs = 5000;

    FeedClient(std::unique_ptr<FeedSink> sink, ClientIdentity who, QObject* parent = nullptr);
    ~FeedClient() override;

    const ClientIdentity& identity() const { return mWho; }
    // Sent at once, whatever the backlog: replies and notices are few and small.
    void send(const QString& text);
    // One tick's update (empty when nothing changed); snapshot makes the whole state for a
    // page that missed updates.
    void deliver(const QString& update, const std::function<QString()>& snapshot, qint64 now);
    bool behind() const { return mBehind; }
    // Whether one more command fits the page's rate.
    bool admitCommand(qint64 now);
    // A last "bye" message with the reason, then the close; a page that does not let it go
    // out within kEndingMs is dropped.
    void end(QWebSocketProtocol::CloseCode code, const QString& reason, bool loginAgain,
             qint64 now);
    // Whether the page is ending or gone: nothing more is sent to it.
    bool isClosed() const { return mEnding; }

signals:
    void received(tarvex::FeedClient* client, const QString& text);
    // The connection is gone; raised once.
    void closed(tarvex::FeedClient* client);

private:
    std::unique_ptr<FeedSink> mSink;
    ClientIdentity mWho;
    bool mBehind = false;
    qint64 mBehindSince = 0;
    double mCommandBudget = kCommandsPerSecond;
    qint64 mBudgetAt = 0;
    bool mEnding = false;
    qint64 mEndingSince = 0;
    bool mGone = false;
};

} // namespace tarvex
