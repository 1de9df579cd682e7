#include "mqtt_options.h"

#include <QHostAddress>
#include <QUrl>

namespace tarvex {

bool MqttOptions::setUrl(const QString& text, QString* error) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const bool secure = scheme == QLatin1String("mqtts");
    if (!url.isValid() || (!secure && scheme != QLatin1String("mqtt")) || url.host().isEmpty() ||
        !url.userInfo().isEmpty() || (!url.path().isEmpty() && url.path() != QLatin1String("/"))) {
        if (error)
            *error = QStringLiteral("expected mqtt://HOST:PORT or mqtts://HOST:PORT, got \"%1\"")
                         .arg(text);
        return false;
    }
    host = url.host();
    tls = secure;
    port = static_cast<quint16>(url.port(secure ? kTlsPort : kPlainPort));
    return true;
}

QString MqttOptions::url() const {
    const bool v6 = host.contains(u':');
    return QStringLiteral("%1://%2:%3")
        .arg(tls ? QStringLiteral("mqtts") : QStringLiteral("mqtt"), v6 ? u'[' + host + u']' : host)
        .arg(port);
}

bool MqttOptions::loopback() const {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

QString MqttOptions::checkedPrefix(const QString& text) {
    const QString p = text.trimmed();
    if (p.isEmpty() || p.startsWith(u'$') || p.startsWith(u'/') || p.endsWith(u'/') ||
        p.contains(u'+') || p.contains(u'#') || p.contains(QLatin1String("//")) ||
        p.contains(QChar(0)))
        return {};
    return p;
}

} // namespace tarvex
