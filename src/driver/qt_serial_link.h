#pragma once

#include "port_names.h"
#include "output_watch.h"
#include "serial_link.h"
#include "serial_settings.h"

#include <QSerialPort>
#include <QString>

#include <cstdint>

namespace tarvex {

// SerialLink over a QSerialPort. A device that fails or goes away (read, write or resource
// error) is closed at the first error and reported once through linkLost and an OnComm with
// kEventResource; QSerialPort itself would keep the port "open" and repeat the error endlessly.
class QtSerialLink : public SerialLink {
    Q_OBJECT

public:
    // The names must outlive the link.
    explicit QtSerialLink(const PortNames& names, QObject* parent = nullptr);
    ~QtSerialLink() override;

    // Refuses a number that has no device, and any change while the port is open.
    void setCommPort(std::int16_t port) override;
    std::int16_t commPort() const override { return mCommPort; }
    // Strict (see SerialSettings::parse); applied at once when the port is open.
    void setSettings(const QString& settings) override;
    QString settings() const override { return mSettingsText; }
    // 0 (text) or 1 (binary); either way characters arrive one per byte, Latin-1.
    void setInputMode(int mode) override;
    // Opening an open port or closing a closed one does nothing.
    void setPortOpen(bool open) override;
    bool portOpen() const override { return mOpen; }
    // OnComm is raised for received data once at least this many characters wait; 0 never.
    void setRThreshold(int threshold) override;
    void setOutput(const QString& text) override;
    QString input() override;
    qint64 pendingOutput() const override;

    int inputMode() const { return mInputMode; }
    int rThreshold() const { return mRThreshold; }
    // The device that the current port number resolved to ("" when none).
    QString deviceName() const { return mDevice; }

private:
    void port_readyRead();
    void port_errorOccurred(QSerialPort::SerialPortError error);
    void raiseReceiveIfDue();
    bool writableNow() const;
    void applySettings(const SerialSettings& s);
    // Marks the link closed now and reports the loss from the event loop, outside QSerialPort's
    // own call chain and outside whatever call of ours is running.
    void loseLink(const QString& reason);
    QString describe(QSerialPort::SerialPortError error) const;

    const PortNames& mNames;
    QSerialPort mPort{this}; // a child, so that tests can watch it
    std::int16_t mCommPort = 1;
    QString mDevice;
    QString mSettingsText = QStringLiteral("4800,n,8,1");
    SerialSettings mSettings;
    int mInputMode = 0;
    int mRThreshold = 0;
    bool mOpen = false;
    QString mLostReason;
    OutputWatch mOutput{[this] { return pendingOutput(); }};
    // Counts opens and closes so that a late loss report never touches a newer session.
};

} // namespace tarvex
