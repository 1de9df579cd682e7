#pragma once

#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpServer>

namespace tarvex::test {

// A free loopback port below the range outgoing connections take theirs from.
inline quint16 freePort() {
    QTcpServer probe;
    while (
        !probe.listen(QHostAddress::LocalHost, 20000 + QRandomGenerator::global()->bounded(12000)))
        ;
    return probe.serverPort();
}

} // namespace tarvex::test
