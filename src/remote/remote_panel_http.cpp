// The remote panel's HTTP side: pages, login and logout.
#include "remote_panel.h"

#include "control_holder.h"
#include "login_throttle.h"
#include "remote_feed.h"
#include "session_store.h"
#include "web_assets.h"
#include "web_security.h"

#include <QHttpServer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

#include <cmath>

namespace tarvex {

namespace {

using Status = QHttpServerResponder::StatusCode;
using Method = QHttpServerRequest::Method;

QHttpServerResponse redirect(const QByteArray& to) {
    QHttpServerResponse r(Status::SeeOther);
    r.setHeader("Location", to);
    return r;
}

QHttpServerResponse json(const QJsonObject& body, Status status) {
    return QHttpServerResponse("application/json",
                               QJsonDocument(body).toJson(QJsonDocument::Compact), status);
}

QHttpServerResponse plain(const QString& text, Status status) {
    return QHttpServerResponse("text/plain; charset=utf-8", text.toUtf8() + '\n', status);
}

bool wantsJson(const QHttpServerRequest& request) {
    return web::header(request, "Content-Type").trimmed().startsWith("application/json");
}

QByteArray sessionToken(const QHttpServerRequest& request) {
    return web::cookieValue(web::header(request, "Cookie"), web::kSessionCookie);
}

// A name as given at a failed login, safe to record: no control characters, not too long.
QString printableName(const QString& name) {
    QString out;
    for (const QChar c : name.left(RemoteUsers::kMaxNameLength + 8))
        out += c.isPrint() ? c : QChar(u'?');
    return out;
}

} // namespace

void RemotePanel::addRoutes() {
    mHttp->route("/", Method::Get, [this](const QHttpServerRequest& request) {
        if (auto refused = refuseForeign(request, false))
            return std::move(*refused);
        if (!mSessions->find(sessionToken(request), true))
            return redirect("/login");
        return page(request, QStringLiteral("panel.html"));
    });
    mHttp->route("/login", Method::Get, [this](const QHttpServerRequest& request) {
        if (auto refused = refuseForeign(request, false))
            return std::move(*refused);
        if (mSessions->find(sessionToken(request), false))
            return redirect("/");
        return loginPage({}, 200);
    });
    mHttp->route("/login", Method::Post,
                 [this](const QHttpServerRequest& request) { return postLogin(request); });
    mHttp->route("/logout", Method::Post,
                 [this](const QHttpServerRequest& request) { return postLogout(request); });
    for (const char* file : {"panel.js", "panel.css", "favicon.svg"}) {
        const QString name = QString::fromLatin1(file);
        mHttp->route(QStringLiteral("/") + name, Method::Get,
                     [this, name](const QHttpServerRequest& request) {
                         if (auto refused = refuseForeign(request, false))
                             return std::move(*refused);
                         return page(request, name);
                     });
    }
    // The feed's door. The server hands a WebSocket upgrade over only once a route took the
    // request, and this one must write nothing then: the socket is the WebSocket's from here.
    // Who may come in is checked on the WebSocket itself (acceptSockets).
    mHttp->route("/ws", [](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        if (web::header(request, "Upgrade").compare("websocket", Qt::CaseInsensitive) == 0)
            return;
        QHttpServerResponse response = plain(QStringLiteral("Not found"), Status::NotFound);
        web::addSecurityHeaders(response);
        response.write(std::move(responder));
    });
    mHttp->afterRequest([](QHttpServerResponse&& response) {
        web::addSecurityHeaders(response);
        return std::move(response);
    });
    mHttp->setMissingHandler([](const QHttpServerRequest&, QHttpServerResponder&& responder) {
        QHttpServerResponse response = plain(QStringLiteral("Not found"), Status::NotFound);
        web::addSecurityHeaders(response);
        response.write(std::move(responder));
    });
}

std::optional<QHttpServerResponse> RemotePanel::refuseForeign(const QHttpServerRequest& request,
                                                              bool needsOrigin) {
    const QByteArray host = web::header(request, "Host");
    if (!web::acceptableHost(host, tls()))
        return plain(QStringLiteral("This server does not answer to that name"),
                     Status::MisdirectedRequest);
    // A form or a script of another site must not log in or out here. A browser says where a
    // request comes from: Sec-Fetch-Site, or else Origin, which it sends as "null" for a form of
    // a page that gives no referrer (ours). A script of the user's own need say neither.
    if (needsOrigin) {
        const QByteArray site = web::header(request, "Sec-Fetch-Site");
        const QByteArray origin = web::header(request, "Origin");
        const bool foreign = !site.isEmpty() ? site != "same-origin"
                                             : !origin.isEmpty() && origin != "null" &&
                                                   !web::sameOrigin(origin, host, tls());
        if (foreign)
            return plain(QStringLiteral("Requests from other sites are refused"),
                         Status::Forbidden);
    }
    return std::nullopt;
}

QHttpServerResponse RemotePanel::page(const QHttpServerRequest&, const QString& name) {
    const auto file = web::asset(name);
    if (!file)
        return plain(QStringLiteral("Not found"), Status::NotFound);
    return QHttpServerResponse(file->mimeType, file->data);
}

QHttpServerResponse RemotePanel::loginPage(const QString& problem, int status) {
    auto file = web::asset(QStringLiteral("login.html"));
    if (!file)
        return plain(QStringLiteral("Not found"), Status::NotFound);
    if (!problem.isEmpty()) {
        file->data.replace(R"(<p class="problem" id="problem" hidden></p>)",
                           R"(<p class="problem" id="problem" role="alert">)" +
                               problem.toHtmlEscaped().toUtf8() + "</p>");
    }
    return QHttpServerResponse(file->mimeType, file->data, static_cast<Status>(status));
}

QHttpServerResponse RemotePanel::postLogin(const QHttpServerRequest& request) {
    if (auto refused = refuseForeign(request, true))
        return std::move(*refused);
    const bool asJson = wantsJson(request);
    const auto answer = [&](const QString& problem, Status status) {
        if (asJson)
            return json({{QStringLiteral("ok"), false}, {QStringLiteral("reason"), problem}},
                        status);
        return loginPage(problem, int(status));
    };
    const QString address = request.remoteAddress().toString();
    const QString key = LoginThrottle::addressKey(request.remoteAddress());
    // Checked before anything else: a wait is a wait, whatever the password.
    const auto wait = [&](qint64 ms, const char* why) {
        const qint64 seconds = std::max<qint64>(1, (ms + 999) / 1000);
        QHttpServerResponse r =
            answer(tr(why, nullptr, int(seconds)), Status::TooManyRequests);
        r.setHeader("Retry-After", QByteArray::number(seconds));
        return r;
    };
    if (const qint64 ms = mThrottle->waitMs(key); ms > 0)
        return wait(ms, QT_TR_NOOP("Too many failed logins: try again in %n second(s)"));
    if (request.body().size() > kMaxBody)
        return answer(tr("The request is too large"), Status::PayloadTooLarge);
    QString user;
    QString password;
    if (asJson) {
        const QJsonObject o = QJsonDocument::fromJson(request.body()).object();
        user = o.value(u"user").toString();
        password = o.value(u"password").toString();
    } else {
        // A form's spaces come as '+'.
        QByteArray body = request.body();
        body.replace('+', "%20");
        const QUrlQuery form(QString::fromLatin1(body));
        user = form.queryItemValue(QStringLiteral("user"), QUrl::FullyDecoded);
        password = form.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded);
    }
    if (user.isEmpty() || password.isEmpty())
        return answer(tr("Give a user name and a password"), Status::BadRequest);
    if (!mThrottle->admitCheck())
        return wait(1000, QT_TR_NOOP("Too many logins at once: try again in %n second(s)"));
    refreshUsers();
    const auto role = mUsers.verify(user, password);
    if (!role) {
        mThrottle->failed(key);
        record(printableName(user), address, QStringLiteral("failed login"));
        return answer(tr("Wrong user name or password"), Status::Unauthorized);
    }
    mThrottle->succeeded(key);
    mSessions->end(sessionToken(request)); // a login replaces the session it came with
    const QByteArray token = mSessions->create(user, *role, address);
    record(user, address, QStringLiteral("login (%1)").arg(RemoteUsers::roleName(*role)));
    QHttpServerResponse response =
        asJson ? json({{QStringLiteral("ok"), true},
                       {QStringLiteral("user"), user},
                       {QStringLiteral("role"), RemoteUsers::roleName(*role)}},
                      Status::Ok)
               : redirect("/");
    response.setHeader("Set-Cookie", web::sessionCookie(token, tls()));
    return response;
}

QHttpServerResponse RemotePanel::postLogout(const QHttpServerRequest& request) {
    if (auto refused = refuseForeign(request, true))
        return std::move(*refused);
    const QByteArray token = sessionToken(request);
    if (const auto session = mSessions->find(token, false)) {
        mSessions->end(token);
        record(session->user, request.remoteAddress().toString(), QStringLiteral("logout"));
        mFeed->endClients([&](const FeedClient& c) { return c.identity().session == token; },
                          tr("You logged out"), true);
        if (!mSessions->hasUser(session->user))
            mControl->release(session->user);
    }
    QHttpServerResponse response = wantsJson(request)
                                       ? json({{QStringLiteral("ok"), true}}, Status::Ok)
                                       : redirect("/login");
    response.setHeader("Set-Cookie", web::clearedSessionCookie(tls()));
    return response;
}

} // namespace tarvex
