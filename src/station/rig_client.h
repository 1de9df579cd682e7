#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>

namespace tarvex {

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

signals:
    void stateChanged();
    void frequencyRead(qint64 hz);
    void pttRead(bool transmitting);
    // A reply that was not the number asked for: counted and otherwise ignored.
    void replyIgnored(const QByteArray& line);
};

using RigClientFactory = std::function<std::unique_ptr<RigClient>(const QString& host, quint16 port,
                                                                  std::chrono::milliseconds poll)>;

} // namespace tarvex
