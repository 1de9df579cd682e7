#pragma once

#include "ampctl_limits.h"
#include "command_budget.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>

class QTcpSocket;

namespace tarvex {

class AmpctlInterpreter;

// One client of the amplifier server. Its lines are handled in order and each reply is written
// as soon as it is made, so a client that reads while it sends never piles up replies. A set
// command beyond its budget waits, and the lines after it wait unread, which slows the client
// down. While lines wait the socket reads nothing more, so an end of input that came with them
// is seen only once they are answered. The socket is its own.
class AmpctlConnection : public QObject {
    Q_OBJECT

public:
    AmpctlConnection(QTcpSocket* socket, std::unique_ptr<AmpctlInterpreter> interpreter,
                     const AmpctlLimits& limits, QString owner, QObject* parent = nullptr);
    ~AmpctlConnection() override;

    // Since its last line, or its connection.
    std::chrono::nanoseconds silence() const {
        return std::chrono::nanoseconds(mHeard.nsecsElapsed());
    }
    // It said "q": the socket goes once the replies are taken, or at the end of the grace.
    bool closing() const { return mClosing; }
    // Closes at once and says why in the log.
    void drop(const QString& reason);
    // Looks now whether the client has gone, rather than when the event loop gets to it.
    void checkGone();
    // Lets the socket go without a word, for a server that goes away.
    void abandon();

signals:
    // The socket is closed: the client no longer counts.
    void finished();

private:
    void serve();
    void holdBack(qint64 ms);
    void gone();

    QTcpSocket* mSocket;
    std::unique_ptr<AmpctlInterpreter> mInterpreter;
    AmpctlLimits mLimits;
    QString mOwner;
    QString mPeer;
    CommandBudget mBudget;
    QElapsedTimer mHeard;
    QElapsedTimer mHeldBack; // since its set commands began to wait, until it caught up
    QTimer mResume;
    QTimer mGrace;
    bool mClosing = false;
    bool mFinished = false;
};

} // namespace tarvex
