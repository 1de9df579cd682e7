// PortNames: what this computer offers as devices, and what stands in the way of opening one.
#include "port_names.h"

#include "core/printable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QUrl>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace tarvex {

namespace {

QString describe(const PortNames::SystemPort& port) {
    QStringList parts;
    for (const QString& part : {port.description, port.manufacturer}) {
        if (!part.isEmpty()) {
            parts << part;
        }
    }
    if (!port.serialNumber.isEmpty()) {
        parts << QStringLiteral("serial %1").arg(port.serialNumber);
    }
    return parts.join(QStringLiteral(", "));
}

// The name serial-port locks use: "LCK..ttyUSB0", "LCK..pts_3" for /dev/pts/3.
QString lockFileName(const QString& canonicalDevice) {
    QString name = canonicalDevice;
    if (name.startsWith(QLatin1String("/dev/"))) {
        name = name.mid(5);
    }
    return QStringLiteral("LCK..") + name.replace(u'/', u'_');
}

#ifdef Q_OS_UNIX
bool processAlive(qint64 pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}
#endif

} // namespace

PortNames::DeviceList PortNames::availableDevices(const QString& byIdDir) {
    QList<SystemPort> system;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        system.append(
            {info.systemLocation(), info.description(), info.manufacturer(), info.serialNumber()});
    }
    return listDevices(system, byIdDir);
}

PortNames::DeviceList PortNames::listDevices(const QList<SystemPort>& system,
                                             const QString& byIdDir) {
    // By-id names survive replugging and reordering, so they are what a user should store.
    QMap<QString, QString> linkOf; // canonical target -> first by-id link to it
    const auto entries =
        QDir(byIdDir).entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString target = entry.canonicalFilePath(); // empty for a dangling link
        if (entry.isSymLink() && !target.isEmpty() && !linkOf.contains(target)) {
            linkOf.insert(target, entry.absoluteFilePath());
        }
    }

    DeviceList out;
    for (const SystemPort& port : system) {
        const QString canonical = QFileInfo(port.location).canonicalFilePath();
        const QString link = linkOf.take(canonical.isEmpty() ? port.location : canonical);
        QString description = describe(port);
        if (!link.isEmpty()) {
            description = description.isEmpty()
                              ? port.location
                              : QStringLiteral("%1 on %2").arg(description, port.location);
        }
        out.append({link.isEmpty() ? port.location : link, description});
    }
    // Links to what the lister does not know still name devices a user may want.
    DeviceList strays;
    for (auto it = linkOf.cbegin(); it != linkOf.cend(); ++it) {
        strays.append({it.value(), it.key()});
    }
    std::sort(strays.begin(), strays.end());
    return out + strays;
}

QString PortNames::checkDeviceName(const QString& device) {
    if (device.trimmed().isEmpty()) {
        return QStringLiteral("Choose a device, or type its path or tcp://HOST:PORT.");
    }
    // No device is named so; stored, it would break the settings file's line and the log's.
    if (hasControlCharacters(device)) {
        return QStringLiteral("\"%1\" holds a control character.").arg(printable(device));
    }
    if (isNetworkName(device)) {
        if (!parseNetworkAddress(device)) {
            return QStringLiteral("\"%1\" is not a network address; write it as "
                                  "tcp://HOST:PORT with a port from 1 to 65535.")
                .arg(device);
        }
        return {};
    }
    if (device.contains(QLatin1String("://"))) {
        return QStringLiteral("\"%1\" is neither a device path nor tcp://HOST:PORT.").arg(device);
    }
    return {};
}

bool PortNames::isNetworkName(const QString& device) {
    return device.startsWith(u"tcp://", Qt::CaseInsensitive);
}

std::optional<PortNames::NetworkAddress> PortNames::parseNetworkAddress(const QString& device) {
    const QUrl url(device, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != u"tcp" || url.host().isEmpty() || url.port() < 1 ||
        !url.userInfo().isEmpty() || !url.path().isEmpty() || url.hasQuery() ||
        url.hasFragment()) {
        return std::nullopt;
    }
    return NetworkAddress{url.host(), static_cast<quint16>(url.port())};
}

QStringList PortNames::defaultLockDirs() {
    // Where serial-port users on Linux leave their lock files; the last is QSerialPort's own
    // fallback when none of the others is writable.
    return {QStringLiteral("/var/lock"),       QStringLiteral("/run/lock"),
            QStringLiteral("/etc/locks"),      QStringLiteral("/var/spool/locks"),
            QStringLiteral("/var/spool/uucp"), QDir::tempPath()};
}

PortNames::Access PortNames::probeAccess(const QString& device, const QStringList& lockDirs) {
    if (isNetworkName(device)) {
        return Access::Usable;
    }
    const QFileInfo info(device);
    if (!info.exists()) {
        return Access::Missing;
    }
#ifdef Q_OS_UNIX
    if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        return Access::Denied;
    }
    const QString lockName = lockFileName(info.canonicalFilePath());
    for (const QString& dir : lockDirs) {
        QFile lock(dir + u'/' + lockName);
        if (!lock.open(QIODevice::ReadOnly)) {
            continue;
        }
        // Both lock formats start with the holder's pid; a lock whose holder died is stale.
        const qint64 pid = QString::fromLatin1(lock.readLine(32)).trimmed().toLongLong();
        if (pid == ::getpid()) {
            return Access::InUseHere;
        }
        if (pid > 0 && processAlive(pid)) {
            return Access::InUse;
        }
    }
#endif
    return Access::Usable;
}

QString PortNames::accessMessage(const QString& device, Access access) {
    switch (access) {
    case Access::Usable:
        break;
    case Access::Missing:
        return QStringLiteral("%1: not present; is it plugged in?").arg(device);
    case Access::Denied: {
        // The device's own group is the one to join; root's group would be no advice at all.
        QString group = QFileInfo(device).group();
        if (group.isEmpty() || group == QLatin1String("root")) {
            group = QStringLiteral("dialout");
        }
        return QStringLiteral("%1: permission denied; add yourself to the %2 group "
                              "(sudo usermod -aG %2 $USER) and log in again")
            .arg(device, group);
    }
    case Access::InUse:
        return QStringLiteral("%1: in use by another program; close it there first").arg(device);
    case Access::InUseHere:
        return QStringLiteral("%1: already in use by another amplifier of this program")
            .arg(device);
    }
    return {};
}

QString PortNames::accessProblem(const QString& device) {
    return accessMessage(device, probeAccess(device));
}

QString PortNames::refusedMessage(const QString& device) {
    const Access access = probeAccess(device);
    // Rights to the device and no lock, yet refused: another program holds it exclusively.
    return accessMessage(device, access == Access::Usable ? Access::InUse : access);
}

} // namespace tarvex
