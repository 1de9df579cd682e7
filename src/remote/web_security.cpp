#include "web_security.h"

#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QUrl>

namespace tarvex::web {

void addSecurityHeaders(QHttpServerResponse& response) {
    response.setHeader("Content-Security-Policy",
                       "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self'; "
                       "connect-src 'self'; object-src 'none'; base-uri 'none'; "
                       "form-action 'self'; frame-ancestors 'none'");
    response.setHeader("X-Frame-Options", "DENY");
    response.setHeader("X-Content-Type-Options", "nosniff");
    response.setHeader("Referrer-Policy", "no-referrer");
    response.setHeader("Cache-Control", "no-store");
    response.setHeader("Cross-Origin-Opener-Policy", "same-origin");
    response.setHeader("Cross-Origin-Resource-Policy", "same-origin");
}

QByteArray sessionCookie(const QByteArray& token, bool secure) {
    QByteArray c = QByteArray(kSessionCookie) + '=' + token + "; HttpOnly; SameSite=Strict; Path=/";
    if (secure)
        c += "; Secure";
    return c;
}

QByteArray clearedSessionCookie(bool secure) {
    return sessionCookie({}, secure) + "; Max-Age=0";
}

QByteArray header(const QHttpServerRequest& request, const QByteArray& name) {
    for (const auto& [key, value] : request.headers()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QByteArray cookieValue(const QByteArray& cookieHeader, const QByteArray& name) {
    for (const QByteArray& part : cookieHeader.split(';')) {
        const QByteArray pair = part.trimmed();
        const qsizetype eq = pair.indexOf('=');
        if (eq > 0 && pair.left(eq).trimmed() == name)
            return pair.mid(eq + 1).trimmed();
    }
    return {};
}

bool acceptableHost(const QByteArray& host, bool tls) {
    if (host.isEmpty())
        return false;
    // The name must read as a URL's host and port, nothing more.
    const QUrl url(QStringLiteral("http://") + QString::fromLatin1(host));
    if (!url.isValid() || url.host().isEmpty() || !url.path().isEmpty() ||
        !url.userInfo().isEmpty())
        return false;
    if (tls)
        return true; // a browser checks the name against the certificate
    const QString name = url.host();
    if (name.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(name);
    return !address.isNull() && address.isLoopback();
}

bool sameOrigin(const QByteArray& origin, const QByteArray& host, bool tls) {
    if (origin.isEmpty() || !acceptableHost(host, tls))
        return false;
    const QByteArray scheme = tls ? "https://" : "http://";
    return origin.compare(scheme + host, Qt::CaseInsensitive) == 0;
}

} // namespace tarvex::web
