#pragma once

#include "amplifier_feed.h"
#include "control_holder.h"
#include "feed_client.h"
#include "remote_clock.h"

#include "core/server_object.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace tarvex {

// The pages' feed: every amplifier of the server's current run, and the pages connected to it.
// Follows the server object through its restarts (a new hub, perhaps another list). Item
// changes only mark an amplifier dirty; each tick (at most 20 a second) serialises what changed
// once and hands the same text to every page.
class RemoteFeed : public QObject {
    Q_OBJECT

public:
    static constexpr int kProtocol = 1;
    static constexpr int kTickMs = 50;
    static constexpr int kMaxClients = 64;

    RemoteFeed(ServerObject& server, ControlHolder& control, RemoteClock clock,
               QObject* parent = nullptr);
    ~RemoteFeed() override;

    void setClock(RemoteClock clock);
    // The ticks run between start and stop; a stop closes every page.
    void start();
    void stop();

    // Takes a page on and sends it the hello; null (the page closed) when there are too many.
    FeedClient* addClient(std::unique_ptr<FeedSink> sink, ClientIdentity who);
    std::vector<FeedClient*> clients() const;
    int clientCount() const { return int(mClients.size()); }
    // The amplifier a page numbers so (from 1); null when there is none.
    AmplifierFeed* amplifier(int number) const;
    int amplifierCount() const { return int(mAmplifiers.size()); }
    // The hub of the server's current run; null while it is stopped.
    const HubPtr& hub() const { return mHub; }
    // Ends the pages the predicate picks with a "bye".
    void endClients(const std::function<bool(const FeedClient&)>& pick, const QString& reason,
                    bool loginAgain);
    // A message to every page of a user, at once.
    void tell(const QString& user, const QJsonObject& message);

    // One tick: what changed since the last, to every page. Runs on its timer; public so that
    // a test can run one without waiting.
    void tick();

    static QString text(const QJsonObject& message);

signals:
    // A page sent a message; the panel decides what it may do.
    void requestReceived(tarvex::FeedClient* client, const QString& text);
    void clientsChanged();

private:
    void attach();
    void detach();
    QJsonObject controlJson() const;
    QJsonObject snapshot(const QString& type) const;
    void remove(FeedClient* client);

    QPointer<ServerObject> mServer;
    ControlHolder& mControl;
    RemoteClock mClock;
    QTimer mTimer;
    HubPtr mHub;
    std::vector<std::unique_ptr<AmplifierFeed>> mAmplifiers;
    std::vector<std::unique_ptr<FeedClient>> mClients;
    bool mControlChanged = false;
    bool mListChanged = false; // a new run: every page gets the whole state
};

} // namespace tarvex
