#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>

namespace tarvex {

// What is known of the radio's transmitter, as "rig.ptt" holds it. Read as a truth value,
// everything but Receiving is true, so that whoever only asks "transmitting?" fails closed.
enum class RigPtt : int {
    Receiving = 0,
    Transmitting = 1,
    Unknown = 2,     // an answer that was not a PTT state, or none yet, or the link is down
    NotReported = 3, // the radio cannot report it, or no radio is followed: the amplifier's
                     // forward power alone decides
};

// A link to the station's transceiver that reads its frequency and PTT over and over.
class RigClient : public QObject {
    Q_OBJECT

public:
    enum class State { Off, Connecting, Up, Lost };

    using QObject::QObject;
    ~RigClient() override = default;

    virtual void start() = 0;
    virtual void stop() = 0;
    virtual State state() const = 0;
    // Why the link is down, or where it goes; empty while up.
    virtual QString detail() const = 0;
    // Asks the radio to transmit or stop; false when it could not be asked (no link).
    virtual bool setPtt(bool on) {
        Q_UNUSED(on);
        return false;
    }

signals:
    void stateChanged();
    void frequencyRead(qint64 hz);
    void pttRead(tarvex::RigPtt ptt);
    // The radio's answer to setPtt: done only on "RPRT 0".
    void pttSetAnswered(bool done, const QByteArray& reply);
    // Replies that were not what was asked for: counted and otherwise ignored. One signal per
    // batch read, with the last of them.
    void repliesIgnored(int count, const QByteArray& last);
    // Input beyond what is read at a time, thrown away unread.
    void inputDropped(qint64 bytes);
};

using RigClientFactory = std::function<std::unique_ptr<RigClient>(const QString& host, quint16 port,
                                                                  std::chrono::milliseconds poll)>;

} // namespace tarvex
