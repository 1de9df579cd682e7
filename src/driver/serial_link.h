#pragma once

#include "core/error.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

namespace tarvex {

// A failure of a serial operation, with a reason fit to show the user
// ("/dev/ttyUSB0: Permission denied").
class SerialError : public Error {
public:
    explicit SerialError(const QString& reason) : Error(reason) {}
    QString reason() const { return text(); }
};

// The serial service a driver uses: exactly these operations. Received characters are
// delivered as text (one character per byte, Latin-1) through OnComm on the UI thread.
class SerialLink : public QObject {
    Q_OBJECT

public:
    // Causes CommEvent reports while OnComm is raised.
    enum CommEventCode : int {
        kEventSend = 1,
        kEventReceive = 2,
        kEventBreak = 1001,
        kEventFrame = 1004,
        kEventOverrun = 1006,
        kEventRxOver = 1008,
        kEventRxParity = 1009,
        kEventResource = 1100, // the device failed or went away; the link has closed it
    };

    using QObject::QObject;
    ~SerialLink() override = default;

    // Each setter throws SerialError when the service cannot do it.
    virtual void setCommPort(std::int16_t port) = 0;
    virtual std::int16_t commPort() const = 0;
    virtual void setSettings(const QString& settings) = 0;
    virtual QString settings() const = 0;
    virtual void setInputMode(int mode) = 0;
    virtual void setPortOpen(bool open) = 0;
    virtual bool portOpen() const = 0;
    virtual void setRThreshold(int threshold) = 0;
    // Writes the text unchanged; throws when the port is closed or the write fails.
    virtual void setOutput(const QString& text) = 0;
    // Returns and removes every character waiting.
    virtual QString input() = 0;
    // Characters handed to setOutput that have not yet left for the line: in the link's own
    // buffer and, where the system tells, the device's. 0 when it cannot be known.
    virtual qint64 pendingOutput() const { return 0; }
    // The cause of the event being delivered.
    virtual int commEvent() const { return mCommEvent; }

signals:
    void OnComm();
    // The port opened by setPortOpen(true) carries data now. Links that open at once emit it
    // before setPortOpen returns; a network link emits it once its connection is made.
    void linkUp();
    // The link closed the port by itself (device removed, read or write error). The reason is
    // meant for the user.
    void linkLost(const QString& reason);
    // Some pending output has left; pendingOutput() says how much still waits.
    void outputDrained();

protected:
    // Delivers OnComm with its cause.
    void raise(int event);
    // Opening or closing on purpose begins a new session: whatever was deferred for the old one
    // (a loss still to be reported, a receive event) is dropped.
    void newSession() { ++mSession; }
    // Runs fn from the event loop, outside the caller's call chain, unless a new session has
    // begun by then.
    void deferInSession(std::function<void()> fn);
    // A device that failed, reported once and from the event loop (never from inside the
    // device's own call chain): closeDevice, then linkLost(reason) and OnComm with
    // kEventResource.
    void reportLoss(const QString& reason, std::function<void()> closeDevice);

    int mCommEvent = 0;

private:
    quint64 mSession = 0;
};

} // namespace tarvex
