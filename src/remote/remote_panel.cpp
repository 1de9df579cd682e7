#include "remote_panel.h"

#include "command_desk.h"
#include "control_holder.h"
#include "login_throttle.h"
#include "remote_feed.h"
#include "remote_log.h"
#include "session_store.h"
#include "tls_files.h"

#include "core/guard.h"
#include "core/remote_vocabulary.h"
#include "core/server_object.h"

#include <QFileInfo>
#include <QHttpServer>
#include <QSslServer>

namespace tarvex {

RemotePanel::RemotePanel(ServerObject& server, RemoteOptions options, QObject* parent)
    : QObject(parent), mServer(&server), mOptions(std::move(options)), mClock(systemClock()),
      mSessions(std::make_unique<SessionStore>(mClock)),
      mThrottle(std::make_unique<LoginThrottle>(mClock)),
      mControl(std::make_unique<ControlHolder>(mClock)),
      mFeed(std::make_unique<RemoteFeed>(server, *mControl, mClock)),
      mDesk(std::make_unique<CommandDesk>(*mFeed, *mControl, mClock)) {
    connect(mFeed.get(), &RemoteFeed::requestReceived, this, &RemotePanel::handleRequest);
    connect(mFeed.get(), &RemoteFeed::clientsChanged, this, &RemotePanel::clientsChanged);
    mHousekeeping.setInterval(kHousekeepingMs);
    connect(&mHousekeeping, &QTimer::timeout, this, &RemotePanel::housekeeping);
    connect(mControl.get(), &ControlHolder::changed, this, &RemotePanel::publishHolder);
    connect(&server, &ServerObject::Started, this, &RemotePanel::publishHolder);
    publishHolder();
}

void RemotePanel::publishHolder() {
    const HubPtr hub = mServer ? mServer->hub() : nullptr;
    if (!hub)
        return;
    const ItemPtr it = hub->AttachItem(QLatin1String(remote::kControlItem));
    if (!it->Info()) {
        auto info = std::make_shared<ItemInfo>();
        info->Metrics = ItemInfo::kStr;
        it->setInfo(info);
    }
    guarded(lcRemote(), "control holder item", [&] { it->setValue(mControl->holder()); });
}

RemotePanel::~RemotePanel() {
    close();
}

void RemotePanel::setClock(RemoteClock clock) {
    mClock = clock;
    mSessions->setClock(clock);
    mThrottle->setClock(clock);
    mControl->setClock(clock);
    mFeed->setClock(clock);
    mDesk->setClock(clock);
}

bool RemotePanel::listen(QString* error) {
    close();
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        qCWarning(lcRemote).noquote() << why;
        return false;
    };
    const QHostAddress address = mOptions.bind.compare(QLatin1String("localhost"),
                                                       Qt::CaseInsensitive) == 0
                                     ? QHostAddress(QHostAddress::LocalHost)
                                     : QHostAddress(mOptions.bind);
    if (address.isNull())
        return fail(QStringLiteral("The remote panel cannot listen on \"%1\": that is no address "
                                   "of this computer")
                        .arg(mOptions.bind));
    QString problem;
    const auto users = mOptions.usersFile.isEmpty()
                           ? std::optional<RemoteUsers>(RemoteUsers())
                           : RemoteUsers::load(mOptions.usersFile, &problem);
    if (!users)
        return fail(problem);
    if (!mOptions.loopbackOnly()) {
        if (!tls())
            return fail(QStringLiteral("The remote panel listens on %1 only with TLS: give a "
                                       "certificate and its key, or listen on 127.0.0.1")
                            .arg(mOptions.bind));
        if (users->isEmpty())
            return fail(QStringLiteral("The remote panel listens on %1 only when there is a "
                                       "user to log in: add one first")
                            .arg(mOptions.bind));
    }
    std::optional<QSslConfiguration> tlsSetup;
    if (tls()) {
        tlsSetup = loadTls(mOptions.certificateFile, mOptions.keyFile, &problem);
        if (!tlsSetup)
            return fail(problem);
    }
    mUsers = *users;
    mUsersStamp = {};
    refreshUsers(); // takes the file's stamp

    mHttp = std::make_unique<QHttpServer>();
    addRoutes();
    connect(mHttp.get(), &QHttpServer::newWebSocketConnection, this, &RemotePanel::acceptSockets);
    QTcpServer* tcp = nullptr;
    if (tlsSetup) {
        auto* ssl = new QSslServer(mHttp.get());
        ssl->setSslConfiguration(*tlsSetup);
        tcp = ssl;
    } else {
        tcp = new QTcpServer(mHttp.get());
    }
    if (!tcp->listen(address, mOptions.port)) {
        const QString why = tcp->errorString();
        mHttp.reset();
        return fail(QStringLiteral("The remote panel cannot listen on %1 port %2: %3")
                        .arg(mOptions.bind)
                        .arg(mOptions.port)
                        .arg(why));
    }
    mHttp->bind(tcp);
    mTcp = tcp;
    mFeed->start();
    mHousekeeping.start();
    qCInfo(lcRemote).noquote() << "remote panel at" << url().toString();
    return true;
}

void RemotePanel::close() {
    mHousekeeping.stop();
    mFeed->stop();
    mTcp = nullptr;
    mHttp.reset();
}

quint16 RemotePanel::port() const {
    return mTcp ? mTcp->serverPort() : 0;
}

QUrl RemotePanel::url() const {
    QUrl u;
    u.setScheme(tls() ? QStringLiteral("https") : QStringLiteral("http"));
    u.setHost(mOptions.bind);
    u.setPort(port());
    u.setPath(QStringLiteral("/"));
    return u;
}

int RemotePanel::clientCount() const {
    return mFeed->clientCount();
}

QString RemotePanel::status() const {
    if (!isListening())
        return tr("Remote panel: off");
    QString line = tr("Remote panel: %1, %n page(s) open", nullptr, clientCount())
                       .arg(url().toString());
    if (!mControl->holder().isEmpty())
        line += tr(", controlled by %1 since %2")
                    .arg(mControl->holder(), clockText(mControl->since()));
    return line;
}

void RemotePanel::noteLocalUse() {
    mControl->noteLocalUse();
}

void RemotePanel::record(const QString& user, const QString& address, const QString& text,
                         int amplifierIndex) {
    RemoteAuditEvent event;
    event.user = user;
    event.address = address;
    event.text = text;
    event.amplifierIndex = amplifierIndex;
    emit audit(event);
}

void RemotePanel::housekeeping() {
    refreshUsers();
    mSessions->expire();
    mFeed->endClients(
        [&](const FeedClient& c) { return !mSessions->find(c.identity().session, false); },
        tr("Your session has ended: log in again"), true);
    // Control goes with the last session of its holder.
    const QString holder = mControl->holder();
    if (!holder.isEmpty() && !mSessions->hasUser(holder))
        mControl->release(holder);
    mControl->expire();
}

void RemotePanel::refreshUsers() {
    if (mOptions.usersFile.isEmpty())
        return;
    QFileInfo info(mOptions.usersFile);
    const FileStamp stamp{info.exists(), info.size(), info.lastModified()};
    if (stamp == mUsersStamp)
        return;
    mUsersStamp = stamp;
    QString problem;
    if (auto users = RemoteUsers::load(mOptions.usersFile, &problem)) {
        mUsers = *users;
    } else {
        // A file that cannot be trusted lets nobody in.
        qCWarning(lcRemote).noquote() << problem;
        mUsers = RemoteUsers();
    }
    // A user removed, or given another role, is logged out everywhere.
    const auto stale = [&](const QString& name, RemoteUsers::Role role) {
        const RemoteUsers::User* u = mUsers.find(name);
        return !u || u->role != role;
    };
    mSessions->endIf([&](const SessionStore::Session& s) { return stale(s.user, s.role); });
    mFeed->endClients(
        [&](const FeedClient& c) { return stale(c.identity().user, c.identity().role); },
        tr("Your account was changed: log in again"), true);
}

} // namespace tarvex
