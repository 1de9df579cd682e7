#pragma once

#include <QMap>
#include <QString>

#include <optional>

namespace tarvex {

// Resolves a port number to a device name on this computer: an override from the command line
// first, else the per-user "Ports/N" setting, else the platform default (COMN on Windows,
// /dev/ttyS<N-1> elsewhere). Owned by the app and shared by reference with the links and the
// settings dialog.
class PortNames {
public:
    using Overrides = QMap<int, QString>;

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
    // message for the user.
    static std::optional<Option> parseOption(const QString& text, QString* error = nullptr);

    // The per-user settings key of a port ("Ports/3").
    static QString settingsKey(int port);

private:
    Overrides mOverrides;
};

} // namespace tarvex
