#pragma once

#include "remote_audit.h"
#include "remote_clock.h"
#include "remote_options.h"
#include "remote_users.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <optional>

class QHttpServer;
class QHttpServerRequest;
class QHttpServerResponse;
class QTcpServer;
class QWebSocket;

namespace tarvex {

class CommandDesk;
class ControlHolder;
class FeedClient;
class LoginThrottle;
class RemoteFeed;
class ServerObject;
class SessionStore;

// The remote panel: a web page from which users operate the station with a browser.
//
// Serves the login page, the panel page with its one script and style sheet, and a WebSocket
// feed (docs/remote-protocol.md). Follows the server object through its restarts and meets the
// amplifiers only through their items. Users come from the users file (RemoteUsers), re-read
// when it changes: a removed user's pages close at once.
//
// Use: construct with the server object and the options, call listen(), connect audit() to the
// record, and call noteLocalUse() whenever someone uses the desktop.
class RemotePanel : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kMaxBody = 8 * 1024; // a login form is far smaller
    static constexpr int kHousekeepingMs = 250;

    RemotePanel(ServerObject& server, RemoteOptions options, QObject* parent = nullptr);
    ~RemotePanel() override;

    // Starts serving. Returns false with a reason a user can read when the options cannot be
    // used: an address that is not loopback without TLS or without users, TLS files that
    // cannot be read, a users file that cannot be trusted, a port that cannot be had.
    bool listen(QString* error);
    void close();
    bool isListening() const { return mTcp != nullptr; }
    // The port listened on (the system's choice when the options gave 0); 0 when not listening.
    quint16 port() const;
    // "http://127.0.0.1:8080/".
    QUrl url() const;
    const RemoteOptions& options() const { return mOptions; }
    int clientCount() const;
    // For the user: where it listens, how many pages are open, who holds control.
    QString status() const;

    // Every expiry, lapse and deadline reads this clock; tests set it.
    void setClock(RemoteClock clock);

public slots:
    // The desktop was used: pages show "local operator" for a minute.
    void noteLocalUse();

signals:
    // A login, failed login, logout, take of control or command, for the record.
    void audit(const tarvex::RemoteAuditEvent& event);
    void clientsChanged();

private:
    // remote_panel_http.cpp
    void addRoutes();
    QHttpServerResponse page(const QHttpServerRequest& request, const QString& name);
    QHttpServerResponse loginPage(const QString& problem, int status);
    QHttpServerResponse postLogin(const QHttpServerRequest& request);
    QHttpServerResponse postLogout(const QHttpServerRequest& request);
    // The refusal of a request whose Host or Origin is not this server's; none when it may go on.
    std::optional<QHttpServerResponse> refuseForeign(const QHttpServerRequest& request,
                                                     bool needsOrigin);
    // remote_panel_socket.cpp
    void acceptSockets();
    void reject(std::unique_ptr<QWebSocket> socket, const QString& reason);
    void handleRequest(FeedClient* client, const QString& text);
    // remote_panel.cpp
    void housekeeping();
    // Sets the hub's "remote.control" item to the holder, for the other ways in to read.
    void publishHolder();
    void refreshUsers();
    void record(const QString& user, const QString& address, const QString& text,
                int amplifierIndex = -1);
    bool tls() const { return mOptions.tls(); }

    QPointer<ServerObject> mServer;
    RemoteOptions mOptions;
    RemoteClock mClock;
    RemoteUsers mUsers;
    // What the users file looked like when last read, to notice a change.
    struct FileStamp {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        bool operator==(const FileStamp&) const = default;
    };
    FileStamp mUsersStamp;
    std::unique_ptr<SessionStore> mSessions;
    std::unique_ptr<LoginThrottle> mThrottle;
    std::unique_ptr<ControlHolder> mControl;
    std::unique_ptr<RemoteFeed> mFeed;
    std::unique_ptr<CommandDesk> mDesk;
    std::unique_ptr<QHttpServer> mHttp;
    QTcpServer* mTcp = nullptr; // owned by mHttp
    QTimer mHousekeeping;
};

} // namespace tarvex
