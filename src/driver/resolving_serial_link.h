#pragma once

#include "port_names.h"
#include "serial_link.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace tarvex {

// The link the application gives each driver: the port number resolves to a device name when
// it is set, and the name picks the kind of link behind it, a TcpSerialLink for
// "tcp://HOST:PORT" and a QtSerialLink for anything else. Everything else passes through.
class ResolvingSerialLink : public SerialLink {
    Q_OBJECT

public:
    // The names must outlive the link.
    explicit ResolvingSerialLink(const PortNames& names, QObject* parent = nullptr);

    // Changing the kind makes a new link and hands it the settings, input mode and threshold
    // set so far; a number its link refuses leaves the link as it was.
    void setCommPort(std::int16_t port) override;
    std::int16_t commPort() const override { return mLink->commPort(); }
    void setSettings(const QString& settings) override { mLink->setSettings(settings); }
    QString settings() const override { return mLink->settings(); }
    void setInputMode(int mode) override;
    void setPortOpen(bool open) override { mLink->setPortOpen(open); }
    bool portOpen() const override { return mLink->portOpen(); }
    void setRThreshold(int threshold) override;
    void setOutput(const QString& text) override { mLink->setOutput(text); }
    QString input() override { return mLink->input(); }
    qint64 pendingOutput() const override { return mLink->pendingOutput(); }
    int commEvent() const override { return mLink->commEvent(); }

    // The link in use, for tests and diagnostics.
    SerialLink& current() const { return *mLink; }

private:
    std::unique_ptr<SerialLink> makeFor(const QString& device) const;

    const PortNames& mNames;
    std::unique_ptr<SerialLink> mLink;
    bool mNetwork = false;
    int mInputMode = 0;
    int mRThreshold = 0;
};

} // namespace tarvex
