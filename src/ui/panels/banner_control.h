#pragma once

#include "panel_control.h"

namespace tarvex {

// The amplifier's name, heading its panels when several amplifiers are shown.
class BannerControl : public PanelControl {
    Q_OBJECT

public:
    static constexpr const char* kClassName = "Tarvex.BannerControl";

    explicit BannerControl(QWidget* parent = nullptr);
    QString Description() const override { return QStringLiteral("Ferro Banner Control"); }
};

} // namespace tarvex
