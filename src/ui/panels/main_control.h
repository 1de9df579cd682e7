#pragma once

#include "panel_control.h"

namespace tarvex {

// Power, operate/standby and high/low switches, the three status lights and the message line.
class MainControl : public PanelControl {
    Q_OBJECT

public:
    static constexpr const char* kClassName = "Tarvex.MainControl";

    explicit MainControl(QWidget* parent = nullptr);
    QString Description() const override { return QStringLiteral("Ferro Main Control"); }

private:
    // The two buttons of a switch, each with its caption and the tool tip naming its action.
    void addSwitchPair(const QString& box, const QRect& boxTwips, const QString& item,
                       const QString& on, const QString& onTip, const QString& off,
                       const QString& offTip);
    void addLight(const QString& name, int top, const QString& caption, const QString& tag,
                  std::uint32_t fore, const QString& toolTip);
};

} // namespace tarvex
