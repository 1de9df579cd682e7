#pragma once

#include <QMap>
#include <QString>
#include <QStringView>

#include <optional>

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
    // The device a port text typed in the settings dialog stands for, read as the driver will
    // read it when the user confirms; "no device" when it names none.
    QString describePortText(const QString& text) const;

    const Overrides& overrides() const { return mOverrides; }
    void setOverride(int port, const QString& device);

    static QString platformDefault(int port);

    // Reads "N=DEVICE" strictly: N a decimal number from 1 to 32767, DEVICE non-empty with no
    // surrounding spaces. On failure returns nullopt and, when given, fills *error with a
    // message for the user that names the option the text came from.
    static std::optional<Option> parseOption(const QString& text, QString* error = nullptr,
                                             const QString& optionName = QStringLiteral("--port"));
    // A port number as decimal digits only, 1 to kMaxPort; nullopt for anything else.
    static std::optional<int> parsePort(QStringView text);

    // Stores the per-user "Ports/N" entry that deviceFor falls back on. Returns false with
    // *error when the settings could not be written.
    static bool storeSetting(int port, const QString& device, QString* error = nullptr);

    // The per-user settings key of a port ("Ports/3").
    static QString settingsKey(int port);

private:
    Overrides mOverrides;
};

} // namespace tarvex
