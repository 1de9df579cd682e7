#include "station_options.h"

#include <QHostAddress>
#include <QSettings>

namespace tarvex {

namespace {

const QString kGroup = QStringLiteral("Station");
const QString kRigctld = QStringLiteral("Rigctld");
const QString kPoll = QStringLiteral("RigPollMs");
const QString kAmpPort = QStringLiteral("AmpctldPort");
const QString kBind = QStringLiteral("AmpctldBind");
const QString kNoFollow = QStringLiteral("NoFollow");

} // namespace

QString StationOptions::rigAddress() const {
    if (rigPort == 0)
        return {};
    const QString host = rigHost.contains(u':') ? u'[' + rigHost + u']' : rigHost;
    return host + u':' + QString::number(rigPort);
}

std::optional<std::pair<QString, quint16>> StationOptions::parseHostPort(const QString& text,
                                                                         QString* error) {
    const QString t = text.trimmed();
    const qsizetype colon = t.lastIndexOf(u':');
    QString host = colon > 0 ? t.left(colon) : QString();
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint port = colon > 0 ? t.mid(colon + 1).toUInt(&ok) : 0;
    if (host.isEmpty() || !ok || port == 0 || port > 65535) {
        if (error)
            *error = QStringLiteral("\"%1\" is not HOST:PORT (for example 127.0.0.1:4532)").arg(t);
        return std::nullopt;
    }
    return std::pair{host, static_cast<quint16>(port)};
}

std::optional<quint16> StationOptions::parsePort(const QString& text, QString* error) {
    bool ok = false;
    const uint port = text.trimmed().toUInt(&ok);
    if (!ok || port > 65535) {
        if (error)
            *error = QStringLiteral("\"%1\" is not a TCP port number").arg(text);
        return std::nullopt;
    }
    return static_cast<quint16>(port);
}

std::optional<int> StationOptions::parsePollMs(const QString& text, QString* error) {
    bool ok = false;
    const int ms = text.trimmed().toInt(&ok);
    if (!ok || ms < kMinPollMs || ms > kMaxPollMs) {
        if (error)
            *error = QStringLiteral("the poll interval must be %1 to %2 ms, not \"%3\"")
                         .arg(kMinPollMs)
                         .arg(kMaxPollMs)
                         .arg(text);
        return std::nullopt;
    }
    return ms;
}

QString StationOptions::checkBind(const QString& text) {
    if (QHostAddress(text.trimmed()).isNull())
        return QStringLiteral("\"%1\" is not an IP address to listen on").arg(text);
    return {};
}

StationOptions StationOptions::load(QSettings& settings) {
    StationOptions o;
    settings.beginGroup(kGroup);
    const QString rig = settings.value(kRigctld).toString();
    if (const auto hp = parseHostPort(rig, nullptr)) {
        o.rigHost = hp->first;
        o.rigPort = hp->second;
    }
    if (const auto ms = parsePollMs(settings.value(kPoll).toString(), nullptr))
        o.pollMs = *ms;
    if (const auto port = parsePort(settings.value(kAmpPort).toString(), nullptr))
        o.ampctldPort = *port;
    const QString bind = settings.value(kBind).toString();
    if (!bind.isEmpty() && checkBind(bind).isEmpty())
        o.bind = bind.trimmed();
    for (const QString& n : settings.value(kNoFollow).toString().split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = n.trimmed().toInt(&ok);
        if (ok && number > 0)
            o.excluded << number;
    }
    settings.endGroup();
    return o;
}

void StationOptions::save(QSettings& settings) const {
    settings.beginGroup(kGroup);
    settings.setValue(kRigctld, rigAddress());
    settings.setValue(kPoll, QString::number(pollMs));
    settings.setValue(kAmpPort, QString::number(ampctldPort));
    settings.setValue(kBind, bind);
    QStringList numbers;
    for (const int n : excluded)
        numbers << QString::number(n);
    settings.setValue(kNoFollow, numbers.join(u','));
    settings.endGroup();
}

} // namespace tarvex
