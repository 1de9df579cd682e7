#pragma once

#include "panel_control.h"

class QLabel;

namespace tarvex {

class BarGauge;

// Four bar gauges: forward and reflected power, grid and plate current.
class MeterControl : public PanelControl {
    Q_OBJECT

public:
    static constexpr const char* kClassName = "Tarvex.MeterControl";

    explicit MeterControl(QWidget* parent = nullptr);
    QString Description() const override { return QStringLiteral("Ferro Metering Control"); }

private:
    BarGauge* addGauge(const QString& name, int top, int height, std::int16_t max,
                       const QString& yellow, std::int16_t red, const QString& toolTip);
    QLabel* addHeading(const QString& name, int index, const QRect& twips, const QString& caption);
    QLabel* addScale(int index, const QRect& twips, const QString& caption, const BarGauge* gauge,
                     double unit);
};

} // namespace tarvex
