#pragma once

#include "binding/gauge_control.h"
#include "core/peak_meter.h"
#include "core/variant.h"

#include <QPixmap>
#include <QSizeF>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace tarvex {

class PropertyBag;

// Designed colours of the gauge: 0x00BBGGRR, or a system colour number with the top bit set.
inline constexpr std::uint32_t kGaugeButtonFace = 0x8000000Fu;
inline constexpr std::uint32_t kGaugeYellow = 0x0000FFFFu;
inline constexpr std::uint32_t kGaugeRed = 0x000000FFu;
inline constexpr std::uint32_t kGaugeGreen = 0x0000C000u;

// What the bar's layout is computed from.
struct BarSettings {
    bool logarithmic = false;
    std::int16_t min = 0;
    std::int16_t max = 100;
    Variant yellowThreshold = std::int16_t{60}; // a number or a text that reads as one
    std::int16_t redThreshold = 80;
    std::int16_t value = 0;
    std::uint32_t yellowColor = kGaugeYellow;
    std::uint32_t redColor = kGaugeRed;
    std::uint32_t greenColor = kGaugeGreen;
};

// The gauge's one drawing element: a straight horizontal stroke from (x1, y1) to (x2, y2), as
// thick as `width`, all in the gauge's drawing units (twips of its inner area).
struct BarLine {
    int width = 1;
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    std::uint32_t color = kGaugeGreen;
};

// Lays the bar out for an inner area of `area` drawing units. Every step that cannot be
// computed (16-bit or 32-bit overflow, division by zero, logarithm of a non-positive number,
// an impossible stroke width) keeps what `previous` had for it.
BarLine layoutBar(const BarSettings& settings, QSizeF area, const BarLine& previous);

// A horizontal bar graph: one coloured bar from the left edge whose length follows Value
// linearly or logarithmically between Min and Max, green below YellowThreshold, yellow up to
// RedThreshold, red from there on. It knows nothing of items; a binder writes Value.
// With peak hold on, a thin mark stands at the highest value of the last two seconds, then
// falls by full scale in two seconds, never below Value.
class BarGauge : public QWidget, public GaugeControl {
    Q_OBJECT

public:
    // The class name under which containers place the gauge.
    static constexpr const char* kClassName = "Tarvex.BarGauge";

    explicit BarGauge(QWidget* parent = nullptr);

    // Every write stores the value and emits propertyChanged with the property's name. Only
    // writing Value (and a resize) lays the bar out again.
    std::uint32_t backColor() const { return mBackColor; }
    void setBackColor(std::uint32_t color);
    std::int16_t appearance() const { return mAppearance; } // 0 flat, otherwise sunken 3D
    void setAppearance(std::int16_t appearance);
    bool logarithmic() const { return mSettings.logarithmic; }
    void setLogarithmic(bool logarithmic);
    std::int16_t min() const override { return mSettings.min; }
    void setMin(std::int16_t min);
    std::int16_t max() const { return mSettings.max; }
    void setMax(std::int16_t max);
    Variant yellowThreshold() const { return mSettings.yellowThreshold; }
    void setYellowThreshold(const Variant& threshold);
    std::int16_t redThreshold() const { return mSettings.redThreshold; }
    void setRedThreshold(std::int16_t threshold);
    std::int16_t value() const { return mSettings.value; }
    void setValue(std::int16_t value) override;
    std::uint32_t yellowColor() const { return mSettings.yellowColor; }
    void setYellowColor(std::uint32_t color);
    std::uint32_t redColor() const { return mSettings.redColor; }
    void setRedColor(std::uint32_t color);
    std::uint32_t greenColor() const { return mSettings.greenColor; }
    void setGreenColor(std::uint32_t color);

    // Repaints without laying the bar out again.
    void Refresh() override;
    QWidget* widget() override { return this; }
    // Lays the bar out from the current properties and size, then schedules a repaint.
    void DrawBar();

    // A freshly placed gauge: everything but BackColor and Appearance back to its default,
    // without notification or layout.
    void InitProperties();
    // Stored layout, keys compared without regard to case. Reading neither notifies nor lays
    // the bar out; a value that cannot be converted throws VariantError and changes nothing.
    void ReadProperties(const PropertyBag& bag);
    // Writes all eleven keys; a value equal to its default is left out.
    void WriteProperties(PropertyBag& bag) const;

    const BarSettings& settings() const { return mSettings; }
    const BarLine& bar() const { return mBar; }
    // The inner drawing area in drawing units (twips).
    QSizeF drawingArea() const;
    // Where, in the gauge's own pixels, a bar for `value` would end under the current settings
    // and size: the layout rule itself, for scales that name values under the bar.
    double barEndX(std::int16_t value) const;

    // Milliseconds of a steady clock; tests hand in their own.
    using Clock = std::function<qint64()>;
    static constexpr double kPeakFallScalesPerSecond = 0.5;
    static constexpr int kPeakFrameMs = 16;
    static constexpr int kPeakFedMs = 100; // while values arrive

    bool peakHold() const { return mPeakHold; }
    // Off forgets the held peak at once.
    void setPeakHold(bool on);
    void setClock(Clock clock);
    // Where the mark stands by the clock now: Value when there is none.
    int peakValue() const;
    // Moves the mark to where the clock says and plans its next move, at most fallingWakeMs
    // later once the mark falls; the gauge's own timer calls it, which runs only while the
    // mark stands above Value.
    void updatePeak(int fallingWakeMs = kPeakFrameMs);
    bool peakTimerActive() const { return mPeakTimer.isActive(); }
    // The mark's pixels, empty while the mark is at Value.
    QRect peakMarkRect() const { return mMark; }

    // Background and frame are drawn once into a picture that every repaint copies; off, each
    // repaint draws them afresh. Both show the same pixels.
    void setPaintCacheEnabled(bool enabled);

signals:
    void propertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // What the background picture depends on besides the size.
    struct SurfaceKey {
        qreal dpr = 0;
        qint64 palette = 0;
        std::uint32_t backColor = 0;
        std::int16_t appearance = 0;
        bool enabled = false;
        bool operator==(const SurfaceKey&) const = default;
    };

    // The widget's logical DPI. Asking the widget for it walks up to its screen: a value is
    // laid out with one answer, not one per step.
    struct Scale {
        double dpiX = 96;
        double dpiY = 96;
    };
    Scale scale() const;
    QSizeF drawingArea(const Scale& s) const;
    double barEndX(std::int16_t value, const Scale& s) const;

    QRect innerRect() const;
    // Where `bar` lands in widget pixels, before clipping to the inner area.
    QRectF strokeRect(const BarLine& bar, const Scale& s) const;
    // Marks only the pixels that differ between two layouts of the bar.
    void updateBetween(const BarLine& before, const BarLine& after, const Scale& s);
    void drawBar(const Scale& s);
    // updatePeak at a time already read; fed: a value has just arrived; known: the scale, when
    // the caller has it already.
    void movePeak(qint64 now, int fallingWakeMs, bool fed, const Scale* known = nullptr);
    void paintSurface(QPainter& p) const;
    double fallPerSecond() const;
    QRect markRectFor(int peak, const Scale& s) const;
    const QPixmap& surface();

    std::uint32_t mBackColor = kGaugeButtonFace;
    std::int16_t mAppearance = 1;
    BarSettings mSettings;
    BarLine mBar;
    bool mCacheEnabled = true;
    QPixmap mSurface;
    SurfaceKey mSurfaceKey;

    bool mPeakHold = true;
    Clock mClock;
    PeakMeter mPeak{fallPerSecond()};
    QTimer mPeakTimer;
    QRect mMark;
    int mMarkPeak = 0; // what mMark was laid out for
    int mMarkValue = 0;
    bool mFedSinceTick = false;
};

} // namespace tarvex
