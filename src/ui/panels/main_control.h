#pragma once

#include "panel_control.h"

#include "core/item.h"

#include <QPointer>
#include <QTimer>

class QLabel;

namespace tarvex {

// Power, operate/standby and high/low switches, the three status lights and the message line.
// While the driver says its link is not up, the message line is drawn in the fault colours, so
// the text it shows reads as a link problem. A line under the designed panel shows the SWR and,
// while one stands, the alarm, flashing.
class MainControl : public PanelControl {
    Q_OBJECT

public:
    static constexpr const char* kClassName = "Tarvex.MainControl";

    explicit MainControl(QWidget* parent = nullptr);
    QString Description() const override { return QStringLiteral("Ferro Main Control"); }

    ~MainControl() override;

    void Initialize(const HubPtr& theHub, std::int16_t theIndex) override;
    void Terminate() override;

    // The SWR as the panel shows it: one decimal and ":1", "—" below the minimum forward power.
    static QString swrText(double forwardW, double reflectedW, int minForwardW);
    // Reads the minimum forward power of this amplifier's alarm settings again.
    void reloadAlarmSettings();
    // How often the SWR read-out may change: a figure that changes with every metering line
    // cannot be read, and repainting it that often is most of what the panel costs.
    static constexpr int kSwrPaceMs = 250;

protected:
    bool flashesOnAlarm() const override { return true; }
    void alarmChanged() override;

private:
    // The two buttons of a switch, each with its caption and the tool tip naming its action.
    void addSwitchPair(const QString& box, const QRect& boxTwips, const QString& item,
                       const QString& on, const QString& onTip, const QString& off,
                       const QString& offTip);
    void addLight(const QString& name, int top, const QString& caption, const QString& tag,
                  std::uint32_t fore, const QString& toolTip);
    void mLink_ValueChange();
    void showSwr();

    QPointer<QLabel> mMessage;
    QPointer<QLabel> mSwr;
    QPointer<QLabel> mAlarmLine;
    ItemPtr mLink;
    ItemPtr mForward;
    ItemPtr mReflected;
    std::int16_t mIndex = 0;
    int mMinForwardW = 50;
    QTimer mSwrPace; // runs only while readings change
};

} // namespace tarvex
