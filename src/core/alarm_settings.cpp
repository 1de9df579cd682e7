#include "alarm_settings.h"

namespace tarvex {

namespace {

const QString kGroup = QStringLiteral("Alarms");

QString ampGroup(int index) {
    return kGroup + u'/' + QString::number(index + 1);
}

} // namespace

AlarmSettings AlarmSettings::load(QSettings& settings, int index) {
    AlarmSettings d;
    AlarmSettings s;
    settings.beginGroup(ampGroup(index));
    s.swrWarning = settings.value(QStringLiteral("SwrWarning"), d.swrWarning).toDouble();
    s.swrTrip = settings.value(QStringLiteral("SwrTrip"), d.swrTrip).toDouble();
    s.minForwardW = settings.value(QStringLiteral("MinForwardW"), d.minForwardW).toInt();
    s.driveLimitW = settings.value(QStringLiteral("DriveLimitW"), d.driveLimitW).toInt();
    s.protect = settings.value(QStringLiteral("Protect"), d.protect).toBool();
    s.resume = settings.value(QStringLiteral("Resume"), d.resume).toBool();
    settings.endGroup();
    // A hand-edited file must not turn the alarms off by accident: nonsense reads as defaults.
    return s.check().isEmpty() ? s : d;
}

void AlarmSettings::save(QSettings& settings, int index) const {
    settings.beginGroup(ampGroup(index));
    settings.setValue(QStringLiteral("SwrWarning"), swrWarning);
    settings.setValue(QStringLiteral("SwrTrip"), swrTrip);
    settings.setValue(QStringLiteral("MinForwardW"), minForwardW);
    settings.setValue(QStringLiteral("DriveLimitW"), driveLimitW);
    settings.setValue(QStringLiteral("Protect"), protect);
    settings.setValue(QStringLiteral("Resume"), resume);
    settings.endGroup();
}

QString AlarmSettings::check() const {
    if (!(swrWarning > 1.0) || !(swrTrip > 1.0))
        return QStringLiteral("SWR levels must be above 1.0:1");
    if (swrTrip < swrWarning)
        return QStringLiteral("The SWR trip level must not be below the warning level");
    if (minForwardW < 0 || minForwardW > 5000)
        return QStringLiteral("The minimum forward power must be 0 to 5000 W");
    if (driveLimitW < 0 || driveLimitW > 1000)
        return QStringLiteral("The drive limit must be 0 (off) to 1000 W");
    if (resume && !protect)
        return QStringLiteral("Returning to operate needs the guard switched on");
    return {};
}

AlarmSignals AlarmSignals::load(QSettings& settings) {
    AlarmSignals s;
    s.sound = settings.value(kGroup + QStringLiteral("/Sound"), s.sound).toBool();
    s.notify = settings.value(kGroup + QStringLiteral("/Notify"), s.notify).toBool();
    return s;
}

void AlarmSignals::save(QSettings& settings) const {
    settings.setValue(kGroup + QStringLiteral("/Sound"), sound);
    settings.setValue(kGroup + QStringLiteral("/Notify"), notify);
}

} // namespace tarvex
