#pragma once

#include "panel_control.h"

class QLabel;

namespace tarvex {

class UpDown;

// Tune and load settings, band, segment and frequency, and the tuning switches.
class TuneControl : public PanelControl {
    Q_OBJECT

public:
    static constexpr const char* kClassName = "Tarvex.TuneControl";

    explicit TuneControl(QWidget* parent = nullptr);
    QString Description() const override { return QStringLiteral("Ferro Tuning Control"); }

private:
    QLabel* addReadout(const QString& name, int left, const QString& toolTip);
    UpDown* addUpDown(const QString& name, int left, QLabel* buddy, const QString& toolTip);
    void addSwitch(const QString& box, const QRect& boxTwips, const QString& name,
                   const QString& toolTip, const QRect& twips, const QString& caption);
};

} // namespace tarvex
