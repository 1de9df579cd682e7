#include "tcp_serial_link.h"

#include <QMetaObject>
#include <QUrl>

namespace tarvex {

TcpSerialLink::TcpSerialLink(const PortNames& names, QObject* parent)
    : SerialLink(parent), mNames(names) {
    if (const auto device = mNames.deviceFor(mCommPort)) {
        mDevice = *device;
        mAddress = PortNames::parseNetworkAddress(mDevice);
    }
    mConnectTimeout.setSingleShot(true);
    mConnectTimeout.setInterval(kConnectTimeoutMs);
    connect(&mConnectTimeout, &QTimer::timeout, this,
            [this] { loseLink(QStringLiteral("%1: no answer from the server").arg(mDevice)); });
    connect(&mSocket, &QTcpSocket::connected, this, &TcpSerialLink::socket_connected);
    connect(&mSocket, &QTcpSocket::readyRead, this, &TcpSerialLink::socket_readyRead);
    connect(&mSocket, &QTcpSocket::errorOccurred, this, &TcpSerialLink::socket_errorOccurred);
    connect(&mSocket, &QTcpSocket::bytesWritten, &mOutput, &OutputWatch::check);
    connect(&mOutput, &OutputWatch::drained, this, &SerialLink::outputDrained);
    // A peer that closes cleanly may say so without an error.
    connect(&mSocket, &QTcpSocket::disconnected, this, [this] {
        loseLink(describe(QAbstractSocket::RemoteHostClosedError));
    });
}

TcpSerialLink::~TcpSerialLink() {
    mSocket.disconnect(this);
    mSocket.abort();
}

void TcpSerialLink::setCommPort(std::int16_t port) {
    if (mOpen) {
        throw SerialError(
            QStringLiteral("%1: cannot change the port while it is open").arg(mDevice));
    }
    const auto device = mNames.deviceFor(port);
    if (!device) {
        throw SerialError(QStringLiteral("Port %1 has no device").arg(port));
    }
    const auto address = PortNames::parseNetworkAddress(*device);
    if (!address) {
        throw SerialError(
            QStringLiteral("%1: a network serial port is named tcp://HOST:PORT").arg(*device));
    }
    mCommPort = port;
    mDevice = *device;
    mAddress = address;
}

void TcpSerialLink::setInputMode(int mode) {
    if (mode != 0 && mode != 1) {
        throw SerialError(QStringLiteral("Invalid input mode %1").arg(mode));
    }
    mInputMode = mode;
}

void TcpSerialLink::setPortOpen(bool open) {
    if (open == mOpen) {
        return;
    }
    newSession();
    mConnectTimeout.stop();
    if (!open) {
        mOpen = false;
        mSocket.abort();
        return;
    }
    if (!mAddress) {
        throw SerialError(
            QStringLiteral("%1: a network serial port is named tcp://HOST:PORT").arg(mDevice));
    }
    mSocket.abort(); // a connection whose loss is still being reported
    // Open before connecting: a refusal may be reported from inside connectToHost, and then
    // it is a loss like any other.
    mOpen = true;
    mCommEvent = 0;
    mConnectTimeout.start();
    mSocket.connectToHost(mAddress->host, mAddress->port);
}

void TcpSerialLink::setRThreshold(int threshold) {
    if (threshold < 0) {
        throw SerialError(QStringLiteral("Invalid receive threshold %1").arg(threshold));
    }
    mRThreshold = threshold;
    if (mOpen && threshold > 0 && mSocket.bytesAvailable() >= threshold) {
        deferInSession([this] { raiseReceiveIfDue(); });
    }
}

void TcpSerialLink::setOutput(const QString& text) {
    if (!mOpen) {
        throw SerialError(QStringLiteral("%1: port is not open").arg(mDevice));
    }
    const QByteArray bytes = text.toLatin1();
    if (bytes.isEmpty()) {
        return;
    }
    // While connecting the socket keeps the bytes and sends them once connected.
    if (mSocket.write(bytes) != bytes.size()) {
        loseLink(describe(QAbstractSocket::UnknownSocketError));
    } else if (mSocket.state() == QAbstractSocket::ConnectedState) {
        mSocket.flush();
    }
    if (!mOpen) {
        throw SerialError(mLostReason);
    }
    mOutput.check();
}

qint64 TcpSerialLink::pendingOutput() const {
    if (!mOpen)
        return 0;
    return mSocket.bytesToWrite() + systemOutputQueue(mSocket.socketDescriptor());
}

QString TcpSerialLink::input() {
    if (!mOpen) {
        return {};
    }
    return QString::fromLatin1(mSocket.readAll());
}

void TcpSerialLink::socket_connected() {
    if (!mOpen) {
        return;
    }
    mConnectTimeout.stop();
    // Command lines are a few bytes each; waiting to fill a segment would only delay them.
    mSocket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    emit linkUp();
}

void TcpSerialLink::socket_readyRead() {
    if (mOpen) {
        raiseReceiveIfDue();
    }
}

void TcpSerialLink::raiseReceiveIfDue() {
    if (mOpen && mRThreshold > 0 && mSocket.bytesAvailable() >= mRThreshold) {
        raise(kEventReceive);
    }
}

void TcpSerialLink::socket_errorOccurred(QAbstractSocket::SocketError error) {
    loseLink(describe(error));
}

void TcpSerialLink::loseLink(const QString& reason) {
    if (!mOpen) {
        return;
    }
    mOpen = false;
    mLostReason = reason;
    mConnectTimeout.stop();
    reportLoss(reason, [this] {
        mSocket.abort();
    });
}

QString TcpSerialLink::describe(QAbstractSocket::SocketError error) const {
    QString what;
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        what = QStringLiteral("connection refused");
        break;
    case QAbstractSocket::RemoteHostClosedError:
        what = QStringLiteral("connection closed by the server");
        break;
    case QAbstractSocket::HostNotFoundError:
        what = QStringLiteral("host not found");
        break;
    case QAbstractSocket::SocketTimeoutError:
        what = QStringLiteral("no answer from the server");
        break;
    default:
        what = mSocket.errorString();
        if (what.isEmpty()) {
            what = QStringLiteral("error %1").arg(int(error));
        }
        break;
    }
    return QStringLiteral("%1: %2").arg(mDevice, what);
}

} // namespace tarvex
