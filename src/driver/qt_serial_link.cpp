#include "qt_serial_link.h"

#include <QMetaObject>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace tarvex {

QtSerialLink::QtSerialLink(const PortNames& names, QObject* parent)
    : SerialLink(parent), mNames(names) {
    if (const auto device = mNames.deviceFor(mCommPort)) {
        mDevice = *device;
    }
    connect(&mPort, &QSerialPort::readyRead, this, &QtSerialLink::port_readyRead);
    connect(&mPort, &QSerialPort::errorOccurred, this, &QtSerialLink::port_errorOccurred);
    connect(&mPort, &QSerialPort::bytesWritten, &mOutput, &OutputWatch::check);
    connect(&mOutput, &OutputWatch::drained, this, &SerialLink::outputDrained);
}

QtSerialLink::~QtSerialLink() {
    // No signal of ours may reach a half-destroyed listener while the port closes.
    mPort.disconnect(this);
    mPort.close();
}

void QtSerialLink::setCommPort(std::int16_t port) {
    if (mOpen) {
        throw SerialError(
            QStringLiteral("%1: cannot change the port while it is open").arg(mDevice));
    }
    const auto device = mNames.deviceFor(port);
    if (!device) {
        throw SerialError(QStringLiteral("Port %1 has no device").arg(port));
    }
    mCommPort = port;
    mDevice = *device;
}

void QtSerialLink::setSettings(const QString& settings) {
    const auto parsed = SerialSettings::parse(settings);
    if (!parsed) {
        throw SerialError(QStringLiteral("Invalid serial settings \"%1\"").arg(settings));
    }
    if (mOpen) {
        applySettings(*parsed);
    }
    mSettings = *parsed;
    mSettingsText = settings;
}

void QtSerialLink::applySettings(const SerialSettings& s) {
    const bool ok = mPort.setBaudRate(s.baud) && mPort.setParity(s.qtParity()) &&
                    mPort.setDataBits(s.qtDataBits()) && mPort.setStopBits(s.qtStopBits());
    if (!ok) {
        const QString reason = QStringLiteral("%1: cannot apply \"%2\": %3")
                                   .arg(mDevice, s.toString(), mPort.errorString());
        mPort.clearError();
        // Leave the port as it was before the call.
        mPort.setBaudRate(mSettings.baud);
        mPort.setParity(mSettings.qtParity());
        mPort.setDataBits(mSettings.qtDataBits());
        mPort.setStopBits(mSettings.qtStopBits());
        mPort.clearError();
        throw SerialError(reason);
    }
}

void QtSerialLink::setInputMode(int mode) {
    if (mode != 0 && mode != 1) {
        throw SerialError(QStringLiteral("Invalid input mode %1").arg(mode));
    }
    mInputMode = mode;
}

void QtSerialLink::setPortOpen(bool open) {
    if (open == mOpen) {
        return;
    }
    newSession();
    if (!open) {
        mOpen = false;
        mPort.close();
        return;
    }
    if (mDevice.isEmpty()) {
        throw SerialError(QStringLiteral("Port %1 has no device").arg(mCommPort));
    }
    // A port whose loss is still being reported is still open underneath.
    mPort.close();
    mPort.clearError();
    mPort.setPortName(mDevice);
    mPort.setBaudRate(mSettings.baud);
    mPort.setParity(mSettings.qtParity());
    mPort.setDataBits(mSettings.qtDataBits());
    mPort.setStopBits(mSettings.qtStopBits());
    mPort.setFlowControl(QSerialPort::NoFlowControl);
    if (!mPort.open(QIODevice::ReadWrite)) {
        // Qt reports missing rights and a port held elsewhere alike; tell the user which.
        const QString reason = mPort.error() == QSerialPort::PermissionError
                                   ? PortNames::refusedMessage(mDevice)
                                   : describe(mPort.error());
        mPort.clearError();
        throw SerialError(reason);
    }
    mOpen = true;
    mCommEvent = 0;
    emit linkUp();
}

void QtSerialLink::setRThreshold(int threshold) {
    if (threshold < 0) {
        throw SerialError(QStringLiteral("Invalid receive threshold %1").arg(threshold));
    }
    mRThreshold = threshold;
    // Characters that arrived while events were off would otherwise wait for the next arrival.
    if (mOpen && threshold > 0 && mPort.bytesAvailable() >= threshold) {
        deferInSession([this] { raiseReceiveIfDue(); });
    }
}

void QtSerialLink::setOutput(const QString& text) {
    if (!mOpen) {
        throw SerialError(QStringLiteral("%1: port is not open").arg(mDevice));
    }
    const QByteArray bytes = text.toLatin1();
    if (bytes.isEmpty()) {
        return;
    }
    if (mPort.write(bytes) != bytes.size()) {
        loseLink(describe(QSerialPort::WriteError));
    } else if (writableNow()) {
        // Push the bytes out now so that a failed write is known before we return; flushing
        // into a full buffer would fail with EAGAIN, so a busy port is left to the event loop.
        mPort.flush();
    }
    if (!mOpen) {
        throw SerialError(mLostReason);
    }
    mOutput.check();
}

bool QtSerialLink::writableNow() const {
#ifdef Q_OS_UNIX
    pollfd pfd{mPort.handle(), POLLOUT, 0};
    return ::poll(&pfd, 1, 0) == 1 && (pfd.revents & POLLOUT) != 0;
#else
    return false;
#endif
}

qint64 QtSerialLink::pendingOutput() const {
    if (!mOpen)
        return 0;
    return mPort.bytesToWrite() + systemOutputQueue(mPort.handle());
}

QString QtSerialLink::input() {
    if (!mOpen) {
        return {};
    }
    return QString::fromLatin1(mPort.readAll());
}

void QtSerialLink::port_readyRead() {
    if (mOpen) {
        raiseReceiveIfDue();
    }
}

void QtSerialLink::raiseReceiveIfDue() {
    if (mOpen && mRThreshold > 0 && mPort.bytesAvailable() >= mRThreshold) {
        raise(kEventReceive);
    }
}

void QtSerialLink::port_errorOccurred(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
    case QSerialPort::UnknownError:
        // Only errors of an open port mean the device failed; the rest are answered by the
        // call that caused them.
        if (mOpen) {
            loseLink(describe(error));
        }
        break;
    default:
        break;
    }
}

void QtSerialLink::loseLink(const QString& reason) {
    if (!mOpen) {
        return;
    }
    mOpen = false;
    mLostReason = reason;
    reportLoss(reason, [this] {
        mPort.close();
        mPort.clearError();
    });
}

QString QtSerialLink::describe(QSerialPort::SerialPortError error) const {
    QString what;
    switch (error) {
    case QSerialPort::ResourceError:
        what = QStringLiteral("device removed");
        break;
    case QSerialPort::ReadError:
        // A vanished device reads as end of file, and errno then holds something unrelated.
        what = QStringLiteral("device removed");
        break;
    case QSerialPort::WriteError:
        what = mPort.errorString();
        if (what.isEmpty() || mPort.error() == QSerialPort::NoError) {
            what = QStringLiteral("write failed");
        }
        break;
    default:
        what = mPort.errorString();
        if (what.isEmpty()) {
            what = QStringLiteral("error %1").arg(int(error));
        }
        break;
    }
    return QStringLiteral("%1: %2").arg(mDevice, what);
}

} // namespace tarvex
