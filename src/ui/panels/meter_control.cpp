#include "meter_control.h"

#include "scale_caption.h"
#include "ui/bar_gauge.h"

#include <QLabel>

namespace tarvex {

MeterControl::MeterControl(QWidget* parent) : PanelControl(2400, 1200, parent) {
    setObjectName(QStringLiteral("MeterControl"));

    // Each tool tip in the unit its scale reads in.
    BarGauge* pfwd = addGauge(QStringLiteral("U_pfwd"), 45, 90, 2500, QStringLiteral("1500"), 1500,
                              tr("Forward power (kW)"));
    BarGauge* prfl = addGauge(QStringLiteral("U_prfl"), 375, 75, 270, QStringLiteral("50"), 115,
                              tr("Reflected power (W)"));
    BarGauge* ig = addGauge(QStringLiteral("U_ig"), 645, 75, 150, QStringLiteral("105"), 122,
                            tr("Grid current (mA)"));
    BarGauge* ip = addGauge(QStringLiteral("U_ip"), 960, 60, 3100, QStringLiteral("1000"), 1500,
                            tr("Plate current (A)"));
    // The plate-current bar is designed full; binding replaces it with the item's value.
    ip->setValue(3100);

    // Scales in kW and A stand under bars in W and mA.
    addHeading(QStringLiteral("KW"), 0, QRect(45, 90, 240, 195), QStringLiteral("Po"));
    QLabel* powerScale =
        addScale(1, QRect(345, 135, 2175, 180),
                 QStringLiteral("0  .2   .5        1.0        1.5       2.0     2.3"), pfwd, 1000);
    setColors(powerScale, 0x80000005, 0x80000008);
    addHeading(QStringLiteral("KW"), 1, QRect(45, 390, 255, 195), QStringLiteral("Pr"));
    addScale(5, QRect(345, 435, 1995, 165),
             QStringLiteral("0       50      100      150      200    250"), prfl, 1);
    addHeading(QStringLiteral("PWR"), 4, QRect(60, 660, 180, 225), QStringLiteral("Ig"));
    addScale(0, QRect(345, 735, 1995, 165),
             QStringLiteral("0           35          70          105        140"), ig, 1);
    addHeading(QStringLiteral("PWR"), 2, QRect(60, 945, 255, 210), QStringLiteral("Ip"));
    addScale(3, QRect(345, 1020, 2040, 165),
             QStringLiteral("0      .5       1       1.5      2.0     2.5      3  "), ip, 1000);

    addFrame();
    for (int y : {330, 615, 900})
        addEtchedHorizontal(y, 0, 2385);
}

BarGauge* MeterControl::addGauge(const QString& name, int top, int height, std::int16_t max,
                                 const QString& yellow, std::int16_t red, const QString& toolTip) {
    auto* g = new BarGauge(this);
    g->setObjectName(name);
    g->setToolTip(toolTip);
    g->setMax(max);
    g->setYellowThreshold(yellow); // designed as text
    g->setRedThreshold(red);
    place(g, QRect(360, top, 2010, height));
    return g;
}

QLabel* MeterControl::addHeading(const QString& name, int index, const QRect& twips,
                                 const QString& caption) {
    QLabel* label = addLabel(this, name, twips, caption);
    label->setProperty("Index", index); // a control array: same name, told apart by index
    label->setFont(sansFont(8.25, true));
    return label;
}

QLabel* MeterControl::addScale(int index, const QRect& twips, const QString& caption,
                               const BarGauge* gauge, double unit) {
    auto* scale = new ScaleCaption(caption, gauge, unit, this);
    scale->setObjectName(QStringLiteral("PWR"));
    scale->setProperty("Index", index);
    scale->setFont(smallFont(6.75));
    place(scale, twips);
    return scale;
}

} // namespace tarvex
