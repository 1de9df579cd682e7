#include "memory_serial_link.h"

#include "serial_settings.h"

#include <utility>

namespace tarvex {

MemorySerialLink::MemorySerialLink(QObject* parent) : SerialLink(parent) {
    mLineClock.setInterval(5);
    connect(&mLineClock, &QTimer::timeout, this, [this] {
        const qint64 due = mSinceDrain.elapsed() * mLineRate / 1000;
        if (due <= 0)
            return;
        mSinceDrain.restart();
        drainOutput(due);
    });
}

void MemorySerialLink::holdOutput(bool hold) {
    mHold = hold;
    if (!hold)
        drainOutput(mOutbox.size());
}

void MemorySerialLink::setLineRate(int charactersPerSecond) {
    mLineRate = charactersPerSecond;
    mHold = charactersPerSecond > 0;
    if (mHold) {
        mSinceDrain.start();
        mLineClock.start();
    } else {
        mLineClock.stop();
        drainOutput(mOutbox.size());
    }
}

void MemorySerialLink::drainOutput(qsizetype characters) {
    if (mOutbox.isEmpty())
        return;
    mWritten += mOutbox.left(characters);
    mOutbox.remove(0, characters);
    emit outputDrained();
}

void MemorySerialLink::setCommPort(std::int16_t port) {
    record(QStringLiteral("CommPort"), QString::number(port));
    if (mFailCommPort) {
        throw SerialError(*mFailCommPort);
    }
    if (port < 1) {
        throw SerialError(QStringLiteral("Port %1 has no device").arg(port));
    }
    if (mOpen) {
        throw SerialError(QStringLiteral("cannot change the port while it is open"));
    }
    mCommPort = port;
}

void MemorySerialLink::setSettings(const QString& settings) {
    record(QStringLiteral("Settings"), settings);
    if (!SerialSettings::parse(settings)) {
        throw SerialError(QStringLiteral("Invalid serial settings \"%1\"").arg(settings));
    }
    mSettings = settings;
}

void MemorySerialLink::setInputMode(int mode) {
    record(QStringLiteral("InputMode"), QString::number(mode));
    if (mode != 0 && mode != 1) {
        throw SerialError(QStringLiteral("Invalid input mode %1").arg(mode));
    }
    mInputMode = mode;
}

void MemorySerialLink::setPortOpen(bool open) {
    record(QStringLiteral("PortOpen"), open ? QStringLiteral("true") : QStringLiteral("false"));
    if (open && !mOpen && mFailOpen) {
        throw SerialError(*mFailOpen);
    }
    if (!open) {
        mPending.clear();
        mOutbox.clear();
    }
    const bool opening = open && !mOpen;
    mOpen = open;
    if (opening) {
        emit linkUp();
    }
}

void MemorySerialLink::setRThreshold(int threshold) {
    record(QStringLiteral("RThreshold"), QString::number(threshold));
    if (threshold < 0) {
        throw SerialError(QStringLiteral("Invalid receive threshold %1").arg(threshold));
    }
    mRThreshold = threshold;
}

void MemorySerialLink::setOutput(const QString& text) {
    record(QStringLiteral("Output"), text);
    if (!mOpen) {
        throw SerialError(QStringLiteral("port is not open"));
    }
    if (mFailWrites) {
        throw SerialError(*mFailWrites);
    }
    // What the wire would carry: one byte per character.
    (mHold ? mOutbox : mWritten) += QString::fromLatin1(text.toLatin1());
}

QString MemorySerialLink::input() {
    return std::exchange(mPending, QString());
}

bool MemorySerialLink::receive(const QString& text) {
    if (!mOpen) {
        return false;
    }
    // A port carries bytes: anything beyond Latin-1 arrives as "?", as toLatin1 would make it,
    // without the two copies that would cost.
    mPending.reserve(mPending.size() + text.size());
    for (const QChar c : text)
        mPending.append(c.unicode() <= 0xFF ? c : QChar(u'?'));
    if (mRThreshold <= 0 || mPending.size() < mRThreshold) {
        return false;
    }
    raise(kEventReceive);
    return true;
}

void MemorySerialLink::failCommPort(std::optional<QString> reason) {
    mFailCommPort = std::move(reason);
}

void MemorySerialLink::failOpen(std::optional<QString> reason) {
    mFailOpen = std::move(reason);
}

void MemorySerialLink::failWrites(std::optional<QString> reason) {
    mFailWrites = std::move(reason);
}

void MemorySerialLink::vanish(const QString& reason) {
    if (!mOpen) {
        return;
    }
    mOpen = false;
    mPending.clear();
    mOutbox.clear();
    emit linkLost(reason);
    raise(kEventResource);
}

} // namespace tarvex
