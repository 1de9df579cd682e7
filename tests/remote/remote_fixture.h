#pragma once

#include "../station/station_fixture.h"

#include "remote/remote_clock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QJsonValue& v, std::ostream* os) {
    *os << QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
}
inline void PrintTo(const QJsonObject& o, std::ostream* os) {
    *os << QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}
QT_END_NAMESPACE

namespace tarvex::test {

// A clock the test sets: expiries, lapses and deadlines come when the test says.
struct TestClock {
    qint64 now = 1'700'000'000'000;
    RemoteClock fn() {
        return [this] { return now; };
    }
    void advance(qint64 ms) { now += ms; }
};

} // namespace tarvex::test
