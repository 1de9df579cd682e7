// frmMain's alarm side: the title while an alarm stands, the sound, acknowledging, the Alarms
// dialog, All to Standby and the peak marks of the gauges.
#include "frm_main.h"

#include "bar_gauge.h"
#include "frm_alarms.h"
#include "panels/alarm_follower.h"
#include "panels/main_control.h"

#include "core/alarm_settings.h"
#include "core/all_to_standby.h"
#include "core/user_settings.h"

#include <QAction>
#include <QApplication>

namespace tarvex {

namespace {
const QString kPeakHoldKey = QStringLiteral("Settings/PeakHold");
const QString kTitle = QStringLiteral("Tarvex");
} // namespace

bool frmMain::peakHold() const {
    return userSettings().value(kPeakHoldKey, true).toBool();
}

void frmMain::setPeakHold(bool on) {
    userSettings().setValue(kPeakHoldKey, on);
    if (mnuViewPeakHold && mnuViewPeakHold->isChecked() != on)
        mnuViewPeakHold->setChecked(on);
    for (BarGauge* gauge : mClient->findChildren<BarGauge*>())
        gauge->setPeakHold(on);
}

void frmMain::followAlarms() {
    for (AlarmFollower* f : mAlarmFollowers)
        delete f;
    mAlarmFollowers.clear();
    mAlarmLevels.clear();
    if (mHub) {
        for (std::int16_t i = 0; i < mModuleCount; ++i) {
            auto* f = new AlarmFollower(mHub, i, /*flash=*/false, this);
            connect(f, &AlarmFollower::changed, this, &frmMain::showAlarms);
            mAlarmFollowers.push_back(f);
            mAlarmLevels.push_back(0);
        }
    }
    showAlarms();
}

void frmMain::showAlarms() {
    // The worst alarm heads the title; among equals, the first amplifier.
    int worst = -1;
    bool rose = false;
    for (size_t i = 0; i < mAlarmFollowers.size(); ++i) {
        const int level = mAlarmFollowers[i]->level();
        rose = rose || level > mAlarmLevels[i];
        mAlarmLevels[i] = level;
        if (level != 0 && (worst < 0 || level > mAlarmFollowers[size_t(worst)]->level()))
            worst = int(i);
    }
    if (worst < 0) {
        setWindowTitle(kTitle);
    } else {
        const AlarmFollower* f = mAlarmFollowers[size_t(worst)];
        setWindowTitle(QStringLiteral("%1 amplifier %2: %3 — %4")
                           .arg(f->level() >= 2 ? tr("TRIP") : tr("WARNING"))
                           .arg(worst + 1)
                           .arg(f->text(), kTitle));
    }
    if (rose) {
        QSettings settings = userSettings();
        if (AlarmSignals::load(settings).sound)
            QApplication::beep();
    }
}

void frmMain::acknowledgeAlarms() {
    // Copied: an acknowledgment may clear the alarm, which rebuilds the title meanwhile.
    const std::vector<AlarmFollower*> followers = mAlarmFollowers;
    for (AlarmFollower* f : followers)
        if (f->level() != 0)
            f->acknowledge();
}

void frmMain::mnuAlarms_Click() {
    if (!mAlarms) {
        QStringList names;
        if (mServer && mServer->modules()) {
            for (const ModulePtr& module : *mServer->modules())
                names << (module ? module->Description() : QString());
        }
        mAlarms = new frmAlarms(names, this);
        mAlarms->setAttribute(Qt::WA_DeleteOnClose);
        connect(mAlarms, &QDialog::accepted, this, [this] {
            for (QWidget* view : views())
                if (auto* main = qobject_cast<MainControl*>(view))
                    main->reloadAlarmSettings();
            emit alarmSettingsChanged();
        });
    }
    mAlarms->show();
    mAlarms->raise();
    mAlarms->activateWindow();
}

void frmMain::mnuAllStandby_Click() {
    allToStandby(mHub);
}

} // namespace tarvex
