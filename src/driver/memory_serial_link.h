#pragma once

#include "serial_link.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace tarvex {

// A SerialLink in memory for driver tests: it records what the driver does, lets the test play
// the amplifier, and behaves like the real link where a driver could tell the difference
// (refusals, closed-port writes, receive threshold, loss of the device).
class MemorySerialLink : public SerialLink {
    Q_OBJECT

public:
    explicit MemorySerialLink(QObject* parent = nullptr);

    // Refuses a number below 1, a change while open, and anything while failCommPort is set.
    void setCommPort(std::int16_t port) override;
    std::int16_t commPort() const override { return mCommPort; }
    // Refuses text that SerialSettings::parse refuses.
    void setSettings(const QString& settings) override;
    QString settings() const override { return mSettings; }
    void setInputMode(int mode) override;
    void setPortOpen(bool open) override;
    bool portOpen() const override { return mOpen; }
    void setRThreshold(int threshold) override;
    void setOutput(const QString& text) override;
    QString input() override;
    qint64 pendingOutput() const override { return mOutbox.size(); }

    int inputMode() const { return mInputMode; }
    int rThreshold() const { return mRThreshold; }

    // Every setter call in order, failed ones included, as "Name=value":
    // "CommPort=1", "Settings=4800,n,8,1", "InputMode=0", "PortOpen=true", "RThreshold=1",
    // "Output=AC\r".
    const QStringList& calls() const { return mCalls; }
    // Everything that has left for the line since creation or the last clearWritten.
    const QString& written() const { return mWritten; }
    void clearWritten() { mWritten.clear(); }
    void clearCalls() { mCalls.clear(); }

    // Plays the amplifier: on an open port the text joins the waiting input and, when the
    // receive threshold is reached, OnComm is raised with kEventReceive before this returns.
    // Text sent to a closed port is lost. Returns whether OnComm was raised.
    bool receive(const QString& text);
    // Characters waiting for input().
    const QString& pending() const { return mPending; }

    // A slow line. Held, what is written waits in an outbox (pendingOutput) until drainOutput
    // lets characters leave; a line rate (characters per second, 0 for at once) drains it on a
    // timer. Releasing the hold lets everything leave.
    void holdOutput(bool hold);
    void drainOutput(qsizetype characters);
    void setLineRate(int charactersPerSecond);

    // From now on the operation fails with this reason; nullopt makes it succeed again.
    void failCommPort(std::optional<QString> reason);
    void failOpen(std::optional<QString> reason);
    void failWrites(std::optional<QString> reason);

    // The device goes away: the port closes, waiting input is dropped, linkLost(reason) is
    // emitted and then OnComm with kEventResource, as the real link does. Nothing when closed.
    void vanish(const QString& reason);

private:
    void record(const QString& name, const QString& value) { mCalls << name + u'=' + value; }

    std::int16_t mCommPort = 1;
    QString mSettings = QStringLiteral("4800,n,8,1");
    int mInputMode = 0;
    int mRThreshold = 0;
    bool mOpen = false;
    QString mPending;
    QString mWritten;
    QString mOutbox;
    bool mHold = false;
    int mLineRate = 0;
    QTimer mLineClock;
    QElapsedTimer mSinceDrain;
    QStringList mCalls;
    std::optional<QString> mFailCommPort;
    std::optional<QString> mFailOpen;
    std::optional<QString> mFailWrites;
};

} // namespace tarvex
