#pragma once

#include "../support/printers.h"
#include "../support/wait_until.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace tarvex::test {

// A Hamlib daemon on a free loopback port. Missing binaries fail the test: the station links
// are tested against the real thing or not at all.
class Daemon {
public:
    // A free loopback port, free again for whoever takes it next. Below the ports the system
    // hands out to outgoing connections: the next ports (a server per amplifier) are not held
    // by connections lingering after their close, as they often are there.
    static quint16 freePort() {
        QTcpServer probe;
        while (!probe.listen(QHostAddress::LocalHost,
                             20000 + QRandomGenerator::global()->bounded(12000)))
            ;
        return probe.serverPort();
    }
    ~Daemon() { stop(); }
    // On the port it had, when it had one (a daemon brought back); else on a fresh one, and on
    // another when a race for it was lost.
    void start(const QString& program, const QStringList& args) {
        ASSERT_FALSE(QStandardPaths::findExecutable(program).isEmpty())
            << program.toStdString() << " is missing: run scripts/install-deps";
        const bool keepPort = port != 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            port = keepPort ? port : freePort();
            process.start(program,
                          args + QStringList{"-T", "127.0.0.1", "-t", QString::number(port)});
            ASSERT_TRUE(process.waitForStarted()) << program.toStdString();
            waitUntil([&] {
                QTcpSocket probe;
                probe.connectToHost(QHostAddress::LocalHost, port);
                return process.state() == QProcess::NotRunning || probe.waitForConnected(500);
            });
            if (process.state() == QProcess::Running)
                return;
        }
        FAIL() << program.toStdString() << " did not listen on " << port;
    }
    void stop() {
        process.kill();
        process.waitForFinished();
    }
    using Done = std::function<bool(const QByteArray&)>;
    // One exchange on a fresh connection, read until done says the reply is complete.
    static QByteArray askAt(quint16 at, const QByteArray& lines, const Done& done) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, at);
        QByteArray got;
        if (!s.waitForConnected(2000))
            return got;
        s.write(lines);
        waitUntil([&] {
            got += s.readAll();
            return done(got) || s.state() != QAbstractSocket::ConnectedState;
        });
        return got;
    }

    QProcess process;
    quint16 port = 0;
};

// A driver on an in-memory link at hub index `index`; the test plays the amplifier.
struct MemoryAmp {
    MemoryAmp(const HubPtr& hub, std::int16_t index, DriverTimings timings = {}) {
        DriverEnvironment env;
        env.timings = timings;
        env.makeLink = [this] {
            auto l = std::make_unique<MemorySerialLink>();
            link = l.get();
            return l;
        };
        driver = std::make_unique<FerroDriver>(env);
        driver->Initialize(hub, index);
        sent();
    }
    ~MemoryAmp() { driver->Terminate(); }
    void line(const QString& text) { link->receive(text + "\r\n"); }
    // Commands written since the last call, each ended by ",".
    QString sent() {
        QString w = link->written();
        link->clearWritten();
        return w.replace('\r', ',');
    }

    MemorySerialLink* link = nullptr;
    std::unique_ptr<FerroDriver> driver;
};

} // namespace tarvex::test
