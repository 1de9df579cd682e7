#include "ampctl_connection.h"

#include "ampctl_interpreter.h"
#include "station_log.h"

#include <QTcpSocket>

#include <utility>

namespace tarvex {

namespace {

// What the socket reads ahead while nothing waits; the client's further input stays in the
// system's buffers.
constexpr qint64 kReadAhead = 64 * 1024;

} // namespace

AmpctlConnection::AmpctlConnection(QTcpSocket* socket,
                                   std::unique_ptr<AmpctlInterpreter> interpreter,
                                   const AmpctlLimits& limits, QString owner, QObject* parent)
    : QObject(parent), mSocket(socket), mInterpreter(std::move(interpreter)), mLimits(limits),
      mOwner(std::move(owner)),
      mPeer(QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort())),
      mBudget(limits.setBurst, limits.setsPerSecond) {
    socket->setParent(this);
    socket->setReadBufferSize(kReadAhead);
    if (limits.sendBuffer > 0)
        socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, limits.sendBuffer);
    mHeard.start();
    mResume.setSingleShot(true);
    connect(&mResume, &QTimer::timeout, this, &AmpctlConnection::serve);
    mGrace.setSingleShot(true);
    mGrace.setInterval(limits.closeGrace);
    connect(&mGrace, &QTimer::timeout, this, [this] {
        drop(QStringLiteral("it did not take its last replies within %1 ms after \"q\"")
                 .arg(mLimits.closeGrace.count()));
    });
    connect(socket, &QTcpSocket::readyRead, this, &AmpctlConnection::serve);
    connect(socket, &QTcpSocket::disconnected, this, &AmpctlConnection::gone);
}

AmpctlConnection::~AmpctlConnection() {
    abandon();
}

void AmpctlConnection::abandon() {
    mFinished = true;
    mResume.stop();
    mGrace.stop();
    mSocket->disconnect(this);
    mSocket->abort();
}

void AmpctlConnection::checkGone() {
    // Reads what has come, its end included; not while lines wait, whose end of input must
    // wait for their replies.
    if (!mFinished && !mClosing && !mResume.isActive())
        mSocket->waitForReadyRead(0);
}

void AmpctlConnection::drop(const QString& reason) {
    if (mFinished)
        return;
    qCInfo(lcStation).noquote() << mOwner << "closed the client at" << mPeer + ':' << reason;
    mSocket->abort();
    gone();
}

void AmpctlConnection::gone() {
    if (std::exchange(mFinished, true))
        return;
    mResume.stop();
    mGrace.stop();
    emit finished();
}

void AmpctlConnection::holdBack(qint64 ms) {
    // Nothing more is read while lines wait: their end of input included, which would close
    // the socket before they are answered.
    mSocket->setReadBufferSize(1);
    mResume.start(static_cast<int>(ms));
}

void AmpctlConnection::serve() {
    if (mClosing || mFinished || mResume.isActive())
        return;
    for (int handled = 0; mSocket->canReadLine(); ++handled) {
        if (handled == mLimits.linesPerTurn) {
            holdBack(0); // the others' turn
            return;
        }
        QByteArray line = mSocket->peek(mLimits.maxLine + 1);
        const qsizetype end = line.indexOf('\n');
        if (end < 0) {
            drop(QStringLiteral("a line over %1 characters").arg(mLimits.maxLine));
            return;
        }
        line.truncate(end + 1);
        if (mInterpreter->wouldSet(line) && !mBudget.take()) {
            if (!mHeldBack.isValid()) {
                mHeldBack.start();
            } else if (mHeldBack.hasExpired(mLimits.floodClose.count())) {
                drop(QStringLiteral("more than %1 set commands a second for %2 s")
                         .arg(mLimits.setsPerSecond)
                         .arg(mLimits.floodClose.count() / 1000.0));
                return;
            }
            holdBack(mBudget.msUntilNext());
            return;
        }
        mSocket->skip(line.size());
        mHeard.restart();
        const AmpctlInterpreter::Reply reply = mInterpreter->handle(line);
        if (!reply.text.isEmpty()) {
            mSocket->write(reply.text);
            mSocket->flush();
        }
        if (mFinished)
            return; // the write found the connection gone
        if (mSocket->bytesToWrite() > mLimits.maxBacklog) {
            drop(QStringLiteral("it left more than %1 bytes of replies unread")
                     .arg(mLimits.maxBacklog));
            return;
        }
        if (reply.close) {
            // The replies before "q" still go out, but not for ever: the grace ends it.
            mClosing = true;
            mGrace.start();
            mSocket->disconnectFromHost();
            return;
        }
    }
    mHeldBack.invalidate(); // caught up
    mSocket->setReadBufferSize(kReadAhead);
    if (!mSocket->canReadLine() && mSocket->bytesAvailable() > mLimits.maxLine)
        drop(QStringLiteral("a line over %1 characters").arg(mLimits.maxLine));
}

} // namespace tarvex
