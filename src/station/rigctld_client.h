#pragma once

#include "rig_client.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>

#include <deque>

namespace tarvex {

// Polls a rigctld with "t" and "f" over TCP, and sets its PTT with "T" when asked. A lost or unreachable daemon is retried every
// two seconds from a single-shot timer, so nothing runs while waiting. A radio that answers
// that it cannot report PTT is asked for it again only every kPttRecheck and after a
// reconnect. What arrives beyond kMaxRead at a time is dropped unread: a daemon that floods
// the link costs little, and replies read after a drop prove nothing of the transmitter.
class RigctldClient : public RigClient {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kRetry{2000};
    // A daemon that has not answered a poll in this time is treated as lost.
    static constexpr std::chrono::milliseconds kSilence{5000};
    static constexpr qsizetype kMaxLine = 1024;
    static constexpr qint64 kMaxRead = 64 * 1024;
    static constexpr std::chrono::milliseconds kPttRecheck{30000};

    RigctldClient(QString host, quint16 port, std::chrono::milliseconds poll,
                  QObject* parent = nullptr);
    ~RigctldClient() override;

    static RigClientFactory factory();

    void start() override;
    void stop() override;
    State state() const override { return mState; }
    QString detail() const override { return mDetail; }
    // "T 0" / "T 1", behind whatever poll is under way.
    bool setPtt(bool on) override;

private:
    void connectNow();
    void setState(State state, const QString& detail);
    void lose(const QString& reason);
    void mPoll_timeout();
    void mSocket_readyRead();
    // False when the line was not the answer asked for.
    bool handleLine(const QByteArray& line);
    RigPtt readPtt(const QByteArray& line);

    QString mHost;
    quint16 mPort;
    QTcpSocket mSocket;
    QTimer mPoll;
    QTimer mRetry;
    QElapsedTimer mAsked;
    QElapsedTimer mPttUnreported; // valid while the radio has said it cannot report PTT
    bool mResync = false;         // input was dropped: what follows up to a newline is a fragment
    QByteArray mBuffer;
    std::deque<char> mExpected; // the commands whose replies are still to come, in order
    State mState = State::Off;
    QString mDetail;
};

} // namespace tarvex
