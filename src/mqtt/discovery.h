#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace tarvex {

// Home Assistant's discovery messages for one amplifier: retained configurations under
// homeassistant/… that make it a device with its sensors (and, when commands are accepted, its
// operate/standby switch), all unavailable while PREFIX/status says offline.
class Discovery {
public:
    struct Message {
        QString topic;
        QByteArray payload;
    };
    static constexpr const char* kRoot = "homeassistant";

    // name is what the user called the amplifier (the device's name on the dashboard); level
    // its topic level under prefix.
    static std::vector<Message> messages(const QString& prefix, const QString& level,
                                         const QString& name, bool commands);
};

} // namespace tarvex
