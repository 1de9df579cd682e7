#include "alarm_wiring.h"

#include "user_sink.h"

#include "core/amplifier_vocabulary.h"
#include "core/user_settings.h"
#include "station/alarm_links.h"
#include "station/station_links.h"

#include <QSettings>

namespace tarvex {

AlarmWiring::AlarmWiring(ServerObject& server, UserSink& sink, StationLinks& station,
                         DesktopNotifier* notifier)
    : mSink(sink), mOwnNotifier(notifier ? nullptr : std::make_unique<DesktopNotifier>()),
      mNotifier(notifier ? notifier : mOwnNotifier.get()) {
    QSettings settings = userSettings();
    mSignals = AlarmSignals::load(settings);
    mLinks = std::make_unique<AlarmLinks>(
        server,
        [](int index) {
            QSettings s = userSettings();
            return AlarmSettings::load(s, index);
        },
        [&station] { return station.rigClient(); });
    connect(mLinks.get(), &AlarmLinks::raised, this,
            [this](int index, const QString& title, int level, const QString& text) {
                mSink.notice(QStringLiteral("%1: %2: %3").arg(title, amp::alarmName(level), text));
                mNotifier->notify(index, level, text, mSignals);
            });
    connect(mLinks.get(), &AlarmLinks::textChanged, this,
            [this](int, const QString& title, const QString& text) {
                mSink.notice(QStringLiteral("%1: %2").arg(title, text));
            });
}

AlarmWiring::~AlarmWiring() = default;

void AlarmWiring::reload() {
    QSettings settings = userSettings();
    mSignals = AlarmSignals::load(settings);
    mLinks->reload();
}

} // namespace tarvex
