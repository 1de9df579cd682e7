#pragma once

// A real mosquitto on a free loopback port, and mosquitto_sub and mosquitto_pub as a
// dashboard would run them.
#include "../support/free_port.h"
#include "../support/wait_until.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace tarvex::test {

class Broker {
public:
    Broker() : mPort(freePort()) {}
    ~Broker() { kill(); }

    // Starts it (again, on the same port) and returns when it accepts connections.
    bool start() {
        QFile config(mDir.filePath("mosquitto.conf"));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write(
            QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\n").arg(mPort).toUtf8());
        config.close();
        // Debian puts it in /usr/sbin, which a user's PATH may lack.
        mProcess.start(QStandardPaths::findExecutable("mosquitto", {"/usr/sbin", "/usr/bin"}),
                       {"-c", config.fileName()});
        return waitUntil(
                   [&] {
                       QTcpSocket probe;
                       probe.connectToHost(QHostAddress::LocalHost, mPort);
                       return probe.waitForConnected(200) ||
                              mProcess.state() == QProcess::NotRunning;
                   },
                   5000) &&
               mProcess.state() == QProcess::Running;
    }
    void kill() {
        mProcess.kill();
        mProcess.waitForFinished();
    }
    quint16 port() const { return mPort; }
    QString url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(mPort); }

    // mosquitto_pub, done when the broker has the message.
    bool publish(const QString& topic, const QString& payload, bool retain = false) const {
        QProcess pub;
        pub.start("mosquitto_pub", QStringList{"-h", "127.0.0.1", "-p", QString::number(mPort),
                                               "-q", "1", "-t", topic, "-m", payload} +
                                       (retain ? QStringList{"-r"} : QStringList{}));
        return pub.waitForFinished(5000) && pub.exitCode() == 0;
    }

private:
    QTemporaryDir mDir;
    quint16 mPort;
    QProcess mProcess;
};

// mosquitto_sub, one line a message: "<time> <retained 0/1> <topic> <payload>".
class Subscriber {
public:
    Subscriber(const Broker& broker, const QString& topic) {
        mProcess.start("mosquitto_sub", {"-h", "127.0.0.1", "-p", QString::number(broker.port()),
                                         "-F", "%U %r %t %p", "-t", topic});
    }
    ~Subscriber() {
        mProcess.kill();
        mProcess.waitForFinished();
    }
    const QStringList& lines() {
        while (mProcess.canReadLine())
            mLines << QString::fromUtf8(mProcess.readLine().chopped(1));
        return mLines;
    }
    // The messages on the topic: each line without its time.
    QStringList on(const QString& topic) {
        QStringList out;
        for (const QString& line : lines()) {
            if (line.section(u' ', 2, 2) == topic)
                out << line.section(u' ', 1);
        }
        return out;
    }
    // Waits for "<retained> <topic> <payload>"; retained "*" for either.
    bool waitFor(const QString& retained, const QString& topic, const QString& payload,
                 int timeoutMs = 8000) {
        const QString tail = u' ' + topic + u' ' + payload;
        return waitUntil(
            [&] {
                const QStringList got = on(topic);
                return retained == "*" ? got.contains("0" + tail) || got.contains("1" + tail)
                                       : got.contains(retained + tail);
            },
            timeoutMs);
    }

private:
    QProcess mProcess;
    QStringList mLines;
};

} // namespace tarvex::test
