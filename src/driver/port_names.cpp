#include "port_names.h"

#include "wire_format.h"

#include <QSettings>

#include <cstdint>
#include <limits>
#include <utility>

namespace tarvex {

namespace {

constexpr int kMaxPort = std::numeric_limits<std::int16_t>::max();

bool validPort(int port) {
    return port >= 1 && port <= kMaxPort;
}

} // namespace

PortNames::PortNames(Overrides overrides) : mOverrides(std::move(overrides)) {}

std::optional<QString> PortNames::deviceFor(int port) const {
    if (!validPort(port)) {
        return std::nullopt;
    }
    if (const auto it = mOverrides.constFind(port); it != mOverrides.cend() && !it->isEmpty()) {
        return *it;
    }
    // Read afresh each time so that an entry the user edits takes effect without a restart.
    const QSettings settings(QSettings::UserScope, QStringLiteral("Tarvex"),
                             QStringLiteral("Tarvex"));
    const QString configured = settings.value(settingsKey(port)).toString().trimmed();
    if (!configured.isEmpty()) {
        return configured;
    }
    return platformDefault(port);
}

QString PortNames::describePortText(const QString& text) const {
    const auto port = wire::toInt16(wire::leadingNumber(text));
    const auto device = port ? deviceFor(*port) : std::nullopt;
    return device ? *device : QStringLiteral("no device");
}

void PortNames::setOverride(int port, const QString& device) {
    mOverrides.insert(port, device);
}

QString PortNames::platformDefault(int port) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

std::optional<PortNames::Option> PortNames::parseOption(const QString& text, QString* error) {
    const auto fail = [&](const QString& message) -> std::optional<Option> {
        if (error) {
            *error = message;
        }
        return std::nullopt;
    };
    const qsizetype eq = text.indexOf(u'=');
    if (eq < 0) {
        return fail(
            QStringLiteral("--port expects N=DEVICE, e.g. 1=/dev/ttyUSB0; got \"%1\"").arg(text));
    }
    const QString number = text.left(eq);
    const QString device = text.mid(eq + 1);
    bool digitsOnly = !number.isEmpty() && number.size() <= 5;
    for (QChar c : number) {
        digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
    }
    const int port = digitsOnly ? number.toInt() : 0;
    if (!validPort(port)) {
        return fail(QStringLiteral("--port: the port number must be 1 to %1; got \"%2\"")
                        .arg(kMaxPort)
                        .arg(number));
    }
    if (device.isEmpty()) {
        return fail(QStringLiteral("--port: no device named for port %1").arg(port));
    }
    if (device.trimmed() != device) {
        return fail(
            QStringLiteral("--port: the device name \"%1\" has surrounding spaces").arg(device));
    }
    return Option{port, device};
}

QString PortNames::settingsKey(int port) {
    return QStringLiteral("Ports/%1").arg(port);
}

} // namespace tarvex
