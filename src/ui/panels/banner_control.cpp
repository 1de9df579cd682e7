#include "banner_control.h"

#include "alarm_follower.h"

#include <QLabel>

namespace tarvex {

BannerControl::BannerControl(QWidget* parent) : PanelControl(2400, 360, parent) {
    setObjectName(QStringLiteral("BannerControl"));
    QLabel* name = addLabel(this, QStringLiteral("U_name"), QRect(30, 30, 2310, 285),
                            QStringLiteral("Label1"));
    name->setAlignment(Qt::AlignCenter);
    name->setFont(sansFont(12));
    name->setToolTip(tr("Amplifier name"));
    mName = name;
    mNamePalette = name->palette();
}

void BannerControl::alarmChanged() {
    const AlarmFollower* a = alarm();
    if (a && a->level() != 0 && a->flashLit()) {
        QPalette pal = mNamePalette;
        pal.setColor(QPalette::WindowText, alarmColor(a->level()));
        mName->setPalette(pal);
    } else {
        mName->setPalette(mNamePalette);
    }
}

} // namespace tarvex
