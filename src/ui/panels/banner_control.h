#pragma once

#include "panel_control.h"

#include <QPalette>

class QLabel;

namespace tarvex {

// The amplifier's name, heading its panels when several amplifiers are shown. The name flashes
// while an alarm stands.
class BannerControl : public PanelControl {
    Q_OBJECT

public:
    static constexpr const char* kClassName = "Tarvex.BannerControl";

    explicit BannerControl(QWidget* parent = nullptr);
    QString Description() const override { return QStringLiteral("Ferro Banner Control"); }

protected:
    bool flashesOnAlarm() const override { return true; }
    void alarmChanged() override;

private:
    QLabel* mName = nullptr;
    QPalette mNamePalette;
};

} // namespace tarvex
