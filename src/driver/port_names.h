#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

#include <optional>
#include <utility>

namespace tarvex {

// Resolves a port number to a device name on this computer: an override from the command line
// first, else the per-user "Ports/N" setting, else the platform default (COMN on Windows,
// /dev/ttyS<N-1> elsewhere). Owned by the app and shared by reference with the links and the
// settings dialog.
class PortNames {
public:
    using Overrides = QMap<int, QString>;

    // The highest port number a driver stores (its port is a 16-bit number; 0 means none).
    static constexpr int kMaxPort = 32767;

    // One "--port N=DEVICE" option.
    struct Option {
        int port = 0;
        QString device;
    };

    explicit PortNames(Overrides overrides = {});

    // Nullopt for a number below 1 or beyond the 16-bit port range.
    std::optional<QString> deviceFor(int port) const;
    // The port number a port text typed in the settings dialog stands for, read as the driver
    // will read it when the user confirms, with its device; nullopt when it names none.
    std::optional<std::pair<int, QString>> resolvePortText(const QString& text) const;

    const Overrides& overrides() const { return mOverrides; }
    // The device the command line puts in place of port N, which wins over the stored one;
    // nullopt when N is not overridden.
    std::optional<QString> overrideFor(int port) const;
    void setOverride(int port, const QString& device);

    static QString platformDefault(int port);

    // Whether "N=" (no device) is a valid option: it is for --map-port, where it forgets N.
    enum class EmptyDevice { Refused, Allowed };
    // Reads "N=DEVICE" strictly: N a decimal number from 1 to 32767, DEVICE non-empty (unless
    // allowed) with no surrounding spaces. On failure returns nullopt and, when given, fills
    // *error with a message for the user that names the option the text came from.
    static std::optional<Option> parseOption(const QString& text, QString* error = nullptr,
                                             const QString& optionName = QStringLiteral("--port"),
                                             EmptyDevice empty = EmptyDevice::Refused);
    // A port number as decimal digits only, 1 to kMaxPort; nullopt for anything else.
    static std::optional<int> parsePort(QStringView text);

    // Stores the per-user "Ports/N" entry that deviceFor falls back on; an empty device removes
    // it, so that N means the platform default again. Returns false with *error when the
    // settings could not be written.
    static bool storeSetting(int port, const QString& device, QString* error = nullptr);

    // The per-user settings key of a port ("Ports/3").
    static QString settingsKey(int port);

    // {device, description} for what a system serial port lister reports.
    using DeviceList = QList<std::pair<QString, QString>>;
    struct SystemPort {
        QString location; // "/dev/ttyUSB0"
        QString description;
        QString manufacturer;
        QString serialNumber;
    };
    static constexpr const char* kSerialByIdDir = "/dev/serial/by-id";
    // This computer's serial ports, each by its stable by-id name where one links to it, and
    // the by-id links to devices that the system lister does not know (a pty, say).
    static DeviceList
    availableDevices(const QString& byIdDir = QString::fromLatin1(kSerialByIdDir));
    static DeviceList listDevices(const QList<SystemPort>& system, const QString& byIdDir);

    // "" for a usable device name (a path, or tcp://HOST:PORT), else why it is not one.
    static QString checkDeviceName(const QString& device);

    // A network serial server's address.
    struct NetworkAddress {
        QString host;
        quint16 port = 0;
    };
    // Whether a device name means a network server (it starts "tcp://").
    static bool isNetworkName(const QString& device);
    // "tcp://HOST:PORT" with a port from 1 to 65535 (an IPv6 host in brackets); nullopt for
    // anything else. The one reader of such names, for the dialog and the link alike.
    static std::optional<NetworkAddress> parseNetworkAddress(const QString& device);

    // What keeps this program from opening a device now, told once for the dialog and the link.
    enum class Access { Usable, Missing, Denied, InUse, InUseHere };
    static Access probeAccess(const QString& device,
                              const QStringList& lockDirs = defaultLockDirs());
    static QString accessMessage(const QString& device, Access access);
    // The dialog's note: accessMessage of probeAccess, "" for a usable or network device.
    static QString accessProblem(const QString& device);
    // Why an open that the system refused for want of permission failed: our rights, or someone
    // else holding the port (which reports the same error).
    static QString refusedMessage(const QString& device);
    static QStringList defaultLockDirs();

private:
    Overrides mOverrides;
};

} // namespace tarvex
