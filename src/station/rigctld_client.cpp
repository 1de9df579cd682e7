#include "rigctld_client.h"

#include "station_log.h"

#include <cmath>

namespace tarvex {

RigctldClient::RigctldClient(QString host, quint16 port, std::chrono::milliseconds poll,
                             QObject* parent)
    : RigClient(parent), mHost(std::move(host)), mPort(port) {
    mPoll.setInterval(poll);
    mRetry.setSingleShot(true);
    mRetry.setInterval(kRetry);
    connect(&mPoll, &QTimer::timeout, this, &RigctldClient::mPoll_timeout);
    connect(&mRetry, &QTimer::timeout, this, &RigctldClient::connectNow);
    connect(&mSocket, &QTcpSocket::connected, this, [this] {
        setState(State::Up, {});
        mPoll.start();
        mPoll_timeout();
    });
    connect(&mSocket, &QTcpSocket::readyRead, this, &RigctldClient::mSocket_readyRead);
    connect(&mSocket, &QTcpSocket::disconnected, this,
            [this] { lose(QStringLiteral("rigctld closed the connection")); });
    connect(&mSocket, &QTcpSocket::errorOccurred, this, [this] { lose(mSocket.errorString()); });
}

RigctldClient::~RigctldClient() {
    stop();
}

RigClientFactory RigctldClient::factory() {
    return [](const QString& host, quint16 port, std::chrono::milliseconds poll) {
        return std::make_unique<RigctldClient>(host, port, poll);
    };
}

void RigctldClient::start() {
    if (mState == State::Off)
        connectNow();
}

void RigctldClient::stop() {
    mPoll.stop();
    mRetry.stop();
    mState = State::Off; // before the abort, so that its signals retry nothing
    mSocket.abort();
    mDetail.clear();
}

void RigctldClient::connectNow() {
    mSocket.abort();
    mBuffer.clear();
    mExpected.clear();
    setState(State::Connecting, QStringLiteral("%1:%2").arg(mHost).arg(mPort));
    mSocket.connectToHost(mHost, mPort);
}

void RigctldClient::setState(State state, const QString& detail) {
    if (state == mState && detail == mDetail)
        return;
    mState = state;
    mDetail = detail;
    emit stateChanged();
}

void RigctldClient::lose(const QString& reason) {
    if (mState == State::Off || mState == State::Lost)
        return;
    qCInfo(lcStation).noquote() << "rigctld" << mHost << mPort << "lost:" << reason;
    mPoll.stop();
    setState(State::Lost, reason);
    mRetry.start();
}

void RigctldClient::mPoll_timeout() {
    if (!mExpected.empty()) {
        // A slow daemon gets no second question on top of the first.
        if (mAsked.hasExpired(kSilence.count())) {
            lose(QStringLiteral("rigctld stopped answering"));
            mSocket.abort();
        }
        return;
    }
    // PTT first: a frequency is acted on only with the transmit state of the same poll.
    mExpected = {'t', 'f'};
    mAsked.start();
    mSocket.write("t\nf\n");
}

void RigctldClient::mSocket_readyRead() {
    mBuffer += mSocket.readAll();
    qsizetype end;
    while ((end = mBuffer.indexOf('\n')) >= 0) {
        const QByteArray line = mBuffer.left(end).trimmed();
        mBuffer.remove(0, end + 1);
        handleLine(line);
    }
    if (mBuffer.size() > kMaxLine) {
        emit replyIgnored(mBuffer.left(80));
        mBuffer.clear();
    }
}

void RigctldClient::handleLine(const QByteArray& line) {
    if (mExpected.empty()) {
        emit replyIgnored(line);
        return;
    }
    const char asked = mExpected.front();
    mExpected.pop_front();
    bool ok = false;
    if (asked == 'f') {
        const double hz = line.toDouble(&ok);
        if (ok && std::isfinite(hz) && hz >= 0 && hz < 1e12) {
            emit frequencyRead(std::llround(hz));
            return;
        }
    } else {
        const int ptt = line.toInt(&ok);
        if (ok) {
            emit pttRead(ptt != 0);
            return;
        }
    }
    emit replyIgnored(line);
}

} // namespace tarvex
