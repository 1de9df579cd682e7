#pragma once

#include "core/module.h"
#include "static_layer.h"

#include <QRect>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;

namespace tarvex {

class AlarmFollower;
class Bindings;
class PushCheckBox;
class PushOptionButton;

// Common ground of the amplifier panels: each is a fixed layout of controls, designed in twips,
// and a module whose only work is to bind its "U_" controls to the items of one driver.
class PanelControl : public QWidget, public Module {
    Q_OBJECT

public:
    ~PanelControl() override;

    void Initialize(const HubPtr& theHub, std::int16_t theIndex) override;
    void Terminate() override;
    void EditProperties() override {}
    void WriteProps(PropertyBag&) override {}
    void ReadProps(PropertyBag&) override {}

    // Null before Initialize and after Terminate.
    Bindings* bindings() const { return mBindings.get(); }

    // Static parts (background, lines, captions, the gauges' surfaces) are drawn once and
    // copied on every repaint; off, every repaint draws them. Both show the same pixels.
    void setPaintCacheEnabled(bool enabled);
    const StaticLayer& staticLayer() const { return mStatic; }

    // The amplifier's alarm; null before Initialize and after Terminate. While one stands the
    // panel is framed (red for a trip, amber for a warning) and a click anywhere on it
    // acknowledges the alarm (the click still does what it does).
    AlarmFollower* alarm() const { return mAlarm; }
    static QColor alarmColor(int level);

protected:
    // The panel's designed size in twips.
    PanelControl(int widthTwips, int heightTwips, QWidget* parent);

    // Builders: positions are in twips, relative to the parent (the panel or a picture box).
    QLabel* addLabel(QWidget* parent, const QString& name, const QRect& twips,
                     const QString& caption);
    QFrame* addPictureBox(const QString& name, const QRect& twips);
    PushOptionButton* addOptionButton(QWidget* box, const QString& name, const QRect& twips,
                                      const QString& caption);
    PushCheckBox* addCheckBox(QWidget* box, const QString& name, const QRect& twips,
                              const QString& caption);
    QComboBox* addComboBox(const QString& name, const QRect& twips, const QStringList& items);
    void place(QWidget* w, const QRect& twips);

    // Lines, in twips: the frame along the four edges, and etched separators (a shadow line and
    // a highlight line 15 twips apart).
    void addFrame();
    void addEtchedVertical(int x, int top, int bottom);
    void addEtchedHorizontal(int y, int left, int right);

    // The designed faces: the small heading face and the ordinary dialog face.
    static QFont smallFont(double points);
    static QFont sansFont(double points, bool bold = false);
    // Designed colours, 0x00BBGGRR or system colours with the top bit set.
    static void setColors(QWidget* w, std::uint32_t back, std::uint32_t fore);
    static void setBorder(QLabel* label);

    // Whether this panel flashes something while an alarm stands.
    virtual bool flashesOnAlarm() const { return false; }
    // The alarm's level, text or flash phase changed.
    virtual void alarmChanged() {}

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Line {
        QLine twips;
        std::uint32_t color;
    };

    void paintLines(QPainter& p) const;
    void watchClicks(bool on);

    int mWidthTwips;
    int mHeightTwips;
    std::vector<Line> mLines;
    StaticLayer mStatic{this, [this](QPainter& p) { paintLines(p); }};
    std::unique_ptr<Bindings> mBindings;
    AlarmFollower* mAlarm = nullptr;
    bool mWatchingClicks = false;
};

} // namespace tarvex
