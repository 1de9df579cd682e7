#pragma once

#include <QByteArray>
#include <QString>

class QHttpServerRequest;
class QHttpServerResponse;

namespace tarvex::web {

// The headers every response carries: a policy that runs our own script and style only and
// nothing inline, no framing, no sniffing, no referrer, nothing stored.
void addSecurityHeaders(QHttpServerResponse& response);

inline constexpr const char* kSessionCookie = "tarvex_session";

// Set-Cookie values that give and take away a session token.
QByteArray sessionCookie(const QByteArray& token, bool secure);
QByteArray clearedSessionCookie(bool secure);

// A request header by name, whatever its case; empty when absent.
QByteArray header(const QHttpServerRequest& request, const QByteArray& name);
// A cookie's value from a Cookie header ("a=1; tarvex_session=…"); empty when absent.
QByteArray cookieValue(const QByteArray& cookieHeader, const QByteArray& name);

// Whether a Host header names this server as a browser may: without TLS only a loopback name
// ("localhost", "127.0.0.1", "[::1]"), so that a page of another site whose name resolves to
// this computer cannot talk to it.
bool acceptableHost(const QByteArray& host, bool tls);
// Whether an Origin is this server's own, as the Host header names it.
bool sameOrigin(const QByteArray& origin, const QByteArray& host, bool tls);

} // namespace tarvex::web
