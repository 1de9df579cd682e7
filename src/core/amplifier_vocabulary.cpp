#include "amplifier_vocabulary.h"

#include <QStringList>

namespace tarvex::amp {

namespace {
QString choice(const char* names, int value) {
    const QStringList list = QString::fromLatin1(names).split(u',');
    return value >= 0 && value < list.size() ? list.at(value) : QString();
}
} // namespace

QString linkName(int link) {
    return choice(kLinkNames, link);
}

QString stateName(int state) {
    return choice(kStateNames, state);
}

QString alarmName(int alarm) {
    return choice(kAlarmNames, alarm);
}

} // namespace tarvex::amp
