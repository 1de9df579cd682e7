#include "port_names.h"

#include "wire_format.h"

#include <QSettings>

#include "core/user_settings.h"

#include <cstdint>
#include <limits>
#include <utility>

namespace tarvex {

static_assert(PortNames::kMaxPort == std::numeric_limits<std::int16_t>::max());

namespace {

bool validPort(int port) {
    return port >= 1 && port <= PortNames::kMaxPort;
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
    const QSettings settings = userSettings();
    const QString configured = settings.value(settingsKey(port)).toString().trimmed();
    if (!configured.isEmpty()) {
        return configured;
    }
    return platformDefault(port);
}

std::optional<std::pair<int, QString>> PortNames::resolvePortText(const QString& text) const {
    const auto port = wire::toInt16(wire::leadingNumber(text));
    const auto device = port ? deviceFor(*port) : std::nullopt;
    if (!device) {
        return std::nullopt;
    }
    return std::pair<int, QString>(*port, *device);
}

std::optional<QString> PortNames::overrideFor(int port) const {
    const QString device = mOverrides.value(port);
    return device.isEmpty() ? std::nullopt : std::optional(device);
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

std::optional<int> PortNames::parsePort(QStringView text) {
    bool digitsOnly = !text.isEmpty() && text.size() <= 5;
    for (QChar c : text) {
        digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
    }
    const int port = digitsOnly ? text.toInt() : 0;
    return validPort(port) ? std::optional(port) : std::nullopt;
}

bool PortNames::storeSetting(int port, const QString& device, QString* error) {
    QSettings settings = userSettings();
    // A blank entry would count as none anyway; leaving it would only puzzle whoever reads
    // the file.
    if (device.isEmpty())
        settings.remove(settingsKey(port));
    else
        settings.setValue(settingsKey(port), device);
    settings.sync();
    if (settings.status() == QSettings::NoError) {
        return true;
    }
    if (error) {
        *error =
            QStringLiteral("the settings file %1 could not be written").arg(settings.fileName());
    }
    return false;
}

std::optional<PortNames::Option> PortNames::parseOption(const QString& text, QString* error,
                                                        const QString& optionName,
                                                        EmptyDevice empty) {
    const auto fail = [&](const QString& message) -> std::optional<Option> {
        if (error) {
            *error = message;
        }
        return std::nullopt;
    };
    const qsizetype eq = text.indexOf(u'=');
    if (eq < 0) {
        return fail(QStringLiteral("%1 expects N=DEVICE, e.g. 1=/dev/ttyUSB0; got \"%2\"")
                        .arg(optionName, text));
    }
    const QString number = text.left(eq);
    const QString device = text.mid(eq + 1);
    const auto port = parsePort(number);
    if (!port) {
        return fail(QStringLiteral("%1: the port number must be 1 to %2; got \"%3\"")
                        .arg(optionName)
                        .arg(kMaxPort)
                        .arg(number));
    }
    if (device.isEmpty() && empty == EmptyDevice::Refused) {
        return fail(QStringLiteral("%1: no device named for port %2").arg(optionName).arg(*port));
    }
    if (device.trimmed() != device) {
        return fail(QStringLiteral("%1: the device name \"%2\" has surrounding spaces")
                        .arg(optionName, device));
    }
    // Told now, not when a driver first tries the port.
    if (const QString problem = device.isEmpty() ? QString() : checkDeviceName(device);
        !problem.isEmpty()) {
        return fail(QStringLiteral("%1: %2").arg(optionName, problem));
    }
    return Option{*port, device};
}

QString PortNames::settingsKey(int port) {
    return QStringLiteral("Ports/%1").arg(port);
}

} // namespace tarvex
