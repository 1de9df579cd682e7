#pragma once

#include "port_names.h"
#include "output_watch.h"
#include "serial_link.h"

#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <cstdint>
#include <optional>

namespace tarvex {

// SerialLink to a network serial server: the port number resolves to "tcp://HOST:PORT" and the
// bytes go over a TCP connection, framed as on a cable. The line settings belong to the server,
// so the settings text is kept but not applied. Opening starts the connection and returns;
// what is written meanwhile goes out once it is made (linkUp), and a refused, failed, timed-out
// or closed connection is reported once through linkLost and an OnComm with kEventResource.
class TcpSerialLink : public SerialLink {
    Q_OBJECT

public:
    using Address = PortNames::NetworkAddress;

    // The names must outlive the link.
    explicit TcpSerialLink(const PortNames& names, QObject* parent = nullptr);
    ~TcpSerialLink() override;


    // Refuses a number whose name is no network address, and any change while open.
    void setCommPort(std::int16_t port) override;
    std::int16_t commPort() const override { return mCommPort; }
    void setSettings(const QString& settings) override { mSettingsText = settings; }
    QString settings() const override { return mSettingsText; }
    void setInputMode(int mode) override;
    void setPortOpen(bool open) override;
    bool portOpen() const override { return mOpen; }
    void setRThreshold(int threshold) override;
    void setOutput(const QString& text) override;
    QString input() override;
    qint64 pendingOutput() const override;

    int inputMode() const { return mInputMode; }
    int rThreshold() const { return mRThreshold; }
    QString deviceName() const { return mDevice; }

    // A host that never answers would otherwise keep the link "connecting" for minutes.
    static constexpr int kConnectTimeoutMs = 5000;

private:
    void socket_connected();
    void socket_readyRead();
    void socket_errorOccurred(QAbstractSocket::SocketError error);
    void raiseReceiveIfDue();
    void loseLink(const QString& reason);
    QString describe(QAbstractSocket::SocketError error) const;

    const PortNames& mNames;
    QTcpSocket mSocket{this};
    QTimer mConnectTimeout;
    std::int16_t mCommPort = 1;
    QString mDevice;
    std::optional<Address> mAddress;
    QString mSettingsText = QStringLiteral("4800,n,8,1");
    int mInputMode = 0;
    int mRThreshold = 0;
    bool mOpen = false;
    QString mLostReason;
    OutputWatch mOutput{[this] { return pendingOutput(); }};
    // Counts opens and closes so that a late loss report never touches a newer connection.
};

} // namespace tarvex
