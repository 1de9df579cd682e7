#include "rigctld_client.h"

#include "station_log.h"

#include <cmath>
#include <utility>

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

bool RigctldClient::setPtt(bool on) {
    if (mState != State::Up)
        return false;
    if (mExpected.empty())
        mAsked.start();
    mExpected.push_back('T');
    mSocket.write(on ? "T 1\n" : "T 0\n");
    mSocket.flush();
    return true;
}

void RigctldClient::connectNow() {
    mSocket.abort();
    mBuffer.clear();
    mExpected.clear();
    mResync = false;
    mPttUnreported.invalidate(); // perhaps another radio behind it now
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
    if (mPttUnreported.isValid() && !mPttUnreported.hasExpired(kPttRecheck.count())) {
        mExpected = {'f'};
        mSocket.write("f\n");
    } else {
        mExpected = {'t', 'f'};
        mSocket.write("t\nf\n");
    }
    mAsked.start();
}

void RigctldClient::mSocket_readyRead() {
    mBuffer += mSocket.read(kMaxRead);
    const qint64 dropped = mSocket.bytesAvailable();
    char lastDropped = '\n';
    if (dropped > 0) {
        mSocket.skip(dropped - 1);
        mSocket.getChar(&lastDropped);
    }
    int ignored = 0;
    QByteArray last;
    qsizetype start = 0;
    qsizetype end;
    while ((end = mBuffer.indexOf('\n', start)) >= 0) {
        const QByteArray line = mBuffer.mid(start, end - start).trimmed();
        start = end + 1;
        if (std::exchange(mResync, false))
            continue; // the tail of a line cut off
        if (!handleLine(line)) {
            ++ignored;
            last = line;
        }
    }
    mBuffer.remove(0, start);
    if (mBuffer.size() > kMaxLine) {
        ++ignored;
        last = mBuffer.left(80);
        mBuffer.clear();
        mResync = true;
    }
    if (ignored > 0)
        emit repliesIgnored(ignored, last);
    if (dropped > 0) {
        // Our replies may have been in what went: ask afresh, and until then nobody knows
        // whether the radio transmits.
        mBuffer.clear();
        mResync = lastDropped != '\n'; // a line was cut off
        mExpected.clear();
        emit inputDropped(dropped);
        emit pttRead(RigPtt::Unknown);
    }
}

bool RigctldClient::handleLine(const QByteArray& line) {
    if (mExpected.empty())
        return false;
    const char asked = mExpected.front();
    mExpected.pop_front();
    if (asked == 'T') {
        emit pttSetAnswered(line == "RPRT 0", line);
        return line.startsWith("RPRT");
    }
    if (asked == 't') {
        const RigPtt ptt = readPtt(line);
        emit pttRead(ptt);
        return ptt != RigPtt::Unknown;
    }
    bool ok = false;
    const double hz = line.toDouble(&ok);
    if (!ok || !std::isfinite(hz) || hz < 0 || hz >= 1e12)
        return false;
    emit frequencyRead(std::llround(hz));
    return true;
}

RigPtt RigctldClient::readPtt(const QByteArray& line) {
    bool ok = false;
    const int ptt = line.toInt(&ok);
    if (ok) {
        mPttUnreported.invalidate();
        // Hamlib's other transmit states (from the microphone, data) are transmitting too.
        return ptt == 0 ? RigPtt::Receiving : RigPtt::Transmitting;
    }
    // "Not available", "not implemented": the radio cannot tell.
    if (line == "RPRT -11" || line == "RPRT -4") {
        mPttUnreported.start();
        return RigPtt::NotReported;
    }
    return RigPtt::Unknown;
}

} // namespace tarvex
