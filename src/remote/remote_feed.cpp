#include "remote_feed.h"

#include "meter_scales.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace tarvex {

RemoteFeed::RemoteFeed(ServerObject& server, ControlHolder& control, RemoteClock clock,
                       QObject* parent)
    : QObject(parent), mServer(&server), mControl(control), mClock(std::move(clock)) {
    mTimer.setInterval(kTickMs);
    connect(&mTimer, &QTimer::timeout, this, &RemoteFeed::tick);
    connect(&server, &ServerObject::Started, this, [this] {
        attach();
        mListChanged = true;
    });
    connect(&server, &ServerObject::Stopping, this, [this] {
        detach();
        mListChanged = true;
    });
    connect(&mControl, &ControlHolder::changed, this, [this] { mControlChanged = true; });
    attach();
}

RemoteFeed::~RemoteFeed() {
    stop();
    detach();
}

void RemoteFeed::setClock(RemoteClock clock) {
    mClock = std::move(clock);
    attach(); // the amplifiers' peak marks read it too
}

void RemoteFeed::start() {
    mTimer.start();
}

void RemoteFeed::stop() {
    mTimer.stop();
    endClients([](const FeedClient&) { return true; }, QStringLiteral("the server is stopping"),
               false);
}

void RemoteFeed::attach() {
    detach();
    if (!mServer || !mServer->hub() || !mServer->modules())
        return;
    mHub = mServer->hub();
    const ModuleList& modules = *mServer->modules();
    for (std::size_t i = 0; i < modules.size(); ++i) {
        if (modules[i] && modules[i]->isAmplifierDriver())
            mAmplifiers.push_back(std::make_unique<AmplifierFeed>(mHub, int(i), mClock));
    }
}

void RemoteFeed::detach() {
    mAmplifiers.clear(); // what was asked of the old run's amplifiers is moot
    mHub.reset();
}

AmplifierFeed* RemoteFeed::amplifier(int number) const {
    for (const auto& a : mAmplifiers) {
        if (a->amplifier().number() == number)
            return a.get();
    }
    return nullptr;
}

QString RemoteFeed::text(const QJsonObject& message) {
    return QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

QJsonObject RemoteFeed::controlJson() const {
    const QString holder = mControl.holder();
    return {{QStringLiteral("holder"), holder.isEmpty() ? QJsonValue() : QJsonValue(holder)},
            {QStringLiteral("since"),
             holder.isEmpty() ? QJsonValue() : QJsonValue(double(mControl.since()))},
            {QStringLiteral("local"), mControl.localActive()}};
}

QJsonObject RemoteFeed::snapshot(const QString& type) const {
    QJsonArray amplifiers;
    const qint64 now = mClock();
    for (const auto& a : mAmplifiers)
        amplifiers.append(a->current(now));
    return {{QStringLiteral("type"), type},
            {QStringLiteral("protocol"), kProtocol},
            {QStringLiteral("control"), controlJson()},
            {QStringLiteral("amplifiers"), amplifiers}};
}

FeedClient* RemoteFeed::addClient(std::unique_ptr<FeedSink> sink, ClientIdentity who) {
    auto owned = std::make_unique<FeedClient>(std::move(sink), std::move(who));
    FeedClient* client = owned.get();
    connect(client, &FeedClient::received, this, &RemoteFeed::requestReceived);
    connect(client, &FeedClient::closed, this, &RemoteFeed::remove);
    // Kept even when refused, until its close has gone out (or its time to go is up).
    const bool full = int(mClients.size()) >= kMaxClients;
    mClients.push_back(std::move(owned));
    if (full) {
        client->end(QWebSocketProtocol::CloseCodeGoingAway,
                    QStringLiteral("too many pages are open"), false, mClock());
        return nullptr;
    }
    QJsonObject hello = snapshot(QStringLiteral("hello"));
    hello.insert(QStringLiteral("you"),
                 QJsonObject{{QStringLiteral("user"), client->identity().user},
                             {QStringLiteral("role"),
                              RemoteUsers::roleName(client->identity().role)}});
    hello.insert(QStringLiteral("meters"), meterScales());
    client->send(text(hello));
    emit clientsChanged();
    return client;
}

std::vector<FeedClient*> RemoteFeed::clients() const {
    std::vector<FeedClient*> out;
    for (const auto& c : mClients)
        out.push_back(c.get());
    return out;
}

void RemoteFeed::remove(FeedClient* client) {
    const auto it = std::find_if(mClients.begin(), mClients.end(),
                                 [&](const auto& c) { return c.get() == client; });
    if (it == mClients.end())
        return;
    // Raised from the client's own signal: it goes once that returns.
    it->release()->deleteLater();
    mClients.erase(it);
    emit clientsChanged();
}

void RemoteFeed::endClients(const std::function<bool(const FeedClient&)>& pick,
                            const QString& reason, bool loginAgain) {
    const qint64 now = mClock();
    for (FeedClient* c : clients()) {
        if (pick(*c))
            c->end(QWebSocketProtocol::CloseCodeNormal, reason, loginAgain, now);
    }
}

void RemoteFeed::tell(const QString& user, const QJsonObject& message) {
    const QString t = text(message);
    for (FeedClient* c : clients()) {
        if (c->identity().user == user)
            c->send(t);
    }
}

void RemoteFeed::tick() {
    const qint64 now = mClock();
    mControl.expire();
    QJsonObject update;
    if (mListChanged) {
        mListChanged = false;
        mControlChanged = false;
        update = snapshot(QStringLiteral("snapshot"));
    } else {
        QJsonArray changed;
        for (const auto& a : mAmplifiers) {
            QJsonObject c = a->takeChanges(now);
            if (!c.isEmpty())
                changed.append(c);
        }
        if (!changed.isEmpty())
            update.insert(QStringLiteral("amplifiers"), changed);
        if (mControlChanged) {
            mControlChanged = false;
            update.insert(QStringLiteral("control"), controlJson());
        }
        if (!update.isEmpty())
            update.insert(QStringLiteral("type"), QStringLiteral("update"));
    }
    if (mClients.empty())
        return;
    const QString message = update.isEmpty() ? QString() : text(update);
    QString whole; // made at most once a tick, and only for a page that needs it
    const auto snapshotText = [&] {
        if (whole.isEmpty())
            whole = text(snapshot(QStringLiteral("snapshot")));
        return whole;
    };
    for (FeedClient* c : clients())
        c->deliver(message, snapshotText, now);
}

} // namespace tarvex
