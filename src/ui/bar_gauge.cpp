#include "bar_gauge.h"

#include "binding/colors.h"
#include "core/property_bag.h"
#include "twips.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QResizeEvent>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace tarvex {

namespace {

// Width of the sunken frame of the three-dimensional appearance, in pixels. One pixel: the
// metering panel's gauges are only four to six pixels high.
constexpr int kFrame3D = 1;

// A difference in 16-bit signed arithmetic; none where it overflows.
std::optional<std::int16_t> difference16(std::int16_t a, std::int16_t b) {
    const int d = int{a} - int{b};
    if (d < std::numeric_limits<std::int16_t>::min() ||
        d > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(d);
}

// Rounded half to even into a 32-bit integer; none where it does not fit.
std::optional<std::int32_t> round32(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = std::nearbyint(v); // the default rounding mode rounds halves to even
    if (r < double(std::numeric_limits<std::int32_t>::min()) ||
        r > double(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::optional<double> linearEnd(const BarSettings& s, double w) {
    const auto offset = difference16(s.value, s.min);
    const auto range = difference16(s.max, s.min);
    if (!offset || !range || *range == 0)
        return std::nullopt;
    // 16-bit differences, single-precision arithmetic: the drawing units are single precision.
    const float x =
        static_cast<float>(w) * static_cast<float>(*offset) / static_cast<float>(*range);
    if (!std::isfinite(x))
        return std::nullopt;
    return double{x};
}

// Position of the value on a linear scale 0..(Max - Min) that it takes on a logarithmic one.
std::optional<std::int32_t> logarithmicPosition(const BarSettings& s) {
    const auto offset = difference16(s.value, s.min);
    const auto range = difference16(s.max, s.min);
    if (!offset || !range || *offset <= 0 || *range <= 0)
        return std::nullopt;
    const double denominator = std::log(static_cast<double>(*range));
    if (denominator == 0.0)
        return std::nullopt;
    return round32(static_cast<double>(*range) * std::log(static_cast<double>(*offset)) /
                   denominator);
}

std::optional<double> logarithmicEnd(const BarSettings& s, double w, std::int32_t position) {
    const auto range = difference16(s.max, s.min);
    const auto width = round32(w);
    if (!range || *range == 0 || !width)
        return std::nullopt;
    const std::int64_t product = std::int64_t{*width} * position;
    if (product < std::numeric_limits<std::int32_t>::min() ||
        product > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return double(product) / static_cast<double>(*range);
}

// Value >= YellowThreshold. Text that is no number cannot be compared; such a test counts as
// met. A Null threshold decides nothing, so the test is not met.
bool reachesYellow(std::int16_t value, const Variant& threshold) {
    if (threshold.isNull())
        return false;
    try {
        return static_cast<double>(value) >= threshold.toDouble();
    } catch (const VariantError&) {
        return true;
    }
}

QColor resolved(std::uint32_t designed, const QPalette& palette, const QColor& fallback) {
    const QColor c = colorFromDesigned(designed, palette);
    return c.isValid() ? c : fallback;
}

} // namespace

BarLine layoutBar(const BarSettings& s, QSizeF area, const BarLine& previous) {
    BarLine bar = previous;
    const double w = area.width();
    const double h = area.height();

    if (const auto width = round32(h); width && *width >= 1 && *width <= 32767)
        bar.width = *width;
    bar.x1 = 0.0;
    bar.y1 = h / 2.0;
    bar.y2 = bar.y1;

    if (!s.logarithmic) {
        if (const auto x2 = linearEnd(s, w))
            bar.x2 = *x2;
    } else {
        // A value without a logarithm (at or below Min) lies at the start of the scale.
        const std::int32_t position = logarithmicPosition(s).value_or(0);
        if (const auto x2 = logarithmicEnd(s, w, position))
            bar.x2 = *x2;
    }

    if (s.value >= s.redThreshold)
        bar.color = s.redColor;
    else if (reachesYellow(s.value, s.yellowThreshold))
        bar.color = s.yellowColor;
    else
        bar.color = s.greenColor;
    return bar;
}

BarGauge::BarGauge(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto steady = std::make_shared<QElapsedTimer>();
    steady->start();
    mClock = [steady] { return steady->elapsed(); };
    mPeakTimer.setSingleShot(true);
    mPeakTimer.setTimerType(Qt::PreciseTimer);
    connect(&mPeakTimer, &QTimer::timeout, this, [this] {
        // While values keep coming, they move the mark themselves: waking every frame as
        // well would cost a pass of the event loop per gauge and frame.
        const bool fed = mFedSinceTick;
        mFedSinceTick = false;
        updatePeak(fed ? kPeakFedMs : kPeakFrameMs);
    });
}

void BarGauge::setBackColor(std::uint32_t color) {
    mBackColor = color;
    update(); // the surface shows its own colour at once
    emit propertyChanged(QStringLiteral("BackColor"));
}

void BarGauge::setAppearance(std::int16_t appearance) {
    mAppearance = appearance;
    update();
    emit propertyChanged(QStringLiteral("Appearance"));
}

void BarGauge::setLogarithmic(bool logarithmic) {
    mSettings.logarithmic = logarithmic;
    emit propertyChanged(QStringLiteral("Logarithmic"));
}

void BarGauge::setMin(std::int16_t min) {
    mSettings.min = min;
    mPeak = PeakMeter(fallPerSecond());
    emit propertyChanged(QStringLiteral("Min"));
}

void BarGauge::setMax(std::int16_t max) {
    mSettings.max = max;
    mPeak = PeakMeter(fallPerSecond());
    emit propertyChanged(QStringLiteral("Max"));
}

void BarGauge::setYellowThreshold(const Variant& threshold) {
    mSettings.yellowThreshold = threshold;
    emit propertyChanged(QStringLiteral("YellowThreshold"));
}

void BarGauge::setRedThreshold(std::int16_t threshold) {
    mSettings.redThreshold = threshold;
    emit propertyChanged(QStringLiteral("RedThreshold"));
}

void BarGauge::setValue(std::int16_t value) {
    mSettings.value = value;
    emit propertyChanged(QStringLiteral("Value"));
    const Scale s = scale();
    drawBar(s);
    if (mPeakHold) {
        const qint64 now = mClock();
        mPeak.add(value, now);
        mFedSinceTick = true;
        movePeak(now, kPeakFrameMs, true, &s);
    }
}

void BarGauge::setYellowColor(std::uint32_t color) {
    mSettings.yellowColor = color;
    emit propertyChanged(QStringLiteral("YellowColor"));
}

void BarGauge::setRedColor(std::uint32_t color) {
    mSettings.redColor = color;
    emit propertyChanged(QStringLiteral("RedColor"));
}

void BarGauge::setGreenColor(std::uint32_t color) {
    mSettings.greenColor = color;
    emit propertyChanged(QStringLiteral("GreenColor"));
}

void BarGauge::Refresh() {
    update();
}

void BarGauge::DrawBar() {
    drawBar(scale());
}

void BarGauge::drawBar(const Scale& s) {
    const BarLine before = mBar;
    mBar = layoutBar(mSettings, drawingArea(s), mBar);
    updateBetween(before, mBar, s);
}

void BarGauge::updateBetween(const BarLine& before, const BarLine& after, const Scale& s) {
    const QRectF was = strokeRect(before, s);
    const QRectF now = strokeRect(after, s);
    if (was == now && before.color == after.color)
        return; // the same pixels
    const QRect inner = innerRect();
    if (before.color != after.color || was.top() != now.top() || was.height() != now.height()) {
        update((was.toAlignedRect() | now.toAlignedRect()) & inner);
        return;
    }
    // Only the ends moved: the pixels between each end's old and new place.
    const auto span = [&](double a, double b) {
        return QRectF(std::min(a, b), now.top(), std::abs(a - b), now.height()).toAlignedRect();
    };
    update(span(was.left(), now.left()) & inner);
    update(span(was.right(), now.right()) & inner);
}

double BarGauge::fallPerSecond() const {
    return kPeakFallScalesPerSecond * std::abs(double(mSettings.max) - double(mSettings.min));
}

void BarGauge::setPeakHold(bool on) {
    mPeakHold = on;
    mPeak.add(mSettings.value, mClock());
    mPeak.reset();
    updatePeak();
}

void BarGauge::setClock(Clock clock) {
    mClock = std::move(clock);
}

int BarGauge::peakValue() const {
    return mPeakHold ? mPeak.peak(mClock()) : mSettings.value;
}

QRect BarGauge::markRectFor(int peak, const Scale& s) const {
    if (peak <= mSettings.value)
        return {};
    const QRect inner = innerRect();
    // Two pixels that end where a bar for the peak would end, the bar's full height.
    const double end = barEndX(
        static_cast<std::int16_t>(std::clamp(peak, int(std::numeric_limits<std::int16_t>::min()),
                                             int(std::numeric_limits<std::int16_t>::max()))),
        s);
    const int right = int(std::lround(end));
    return QRect(right - 2, inner.top(), 2, inner.height()) & inner;
}

void BarGauge::updatePeak(int fallingWakeMs) {
    movePeak(mClock(), fallingWakeMs, false);
}

void BarGauge::movePeak(qint64 now, int fallingWakeMs, bool fed, const Scale* known) {
    const int peak = mPeakHold ? mPeak.peak(now) : mSettings.value;
    // Laid out again only when the mark or the bar moved: most lines move neither.
    if (peak != mMarkPeak || mSettings.value != mMarkValue) {
        mMarkPeak = peak;
        mMarkValue = mSettings.value;
        const QRect mark = markRectFor(peak, known ? *known : scale());
        if (mark != mMark) {
            update(mMark | mark);
            mMark = mark;
        }
    }
    if (peak <= mSettings.value) {
        // A value arriving at the mark leaves a planned wake-up alone: on speech the next is
        // lower again, and stopping and starting the timer on every line costs more than a
        // wake-up that finds nothing to do (and plans none).
        if (!fed)
            mPeakTimer.stop();
        return;
    }
    // Nothing moves while the peak is held; once it falls, it moves a little every frame. A
    // planned wake-up stays: restarting the timer on every line would cost more than waking
    // once too early and planning again.
    if (mPeakTimer.isActive())
        return;
    const qint64 wait = std::max<qint64>(mPeak.fallsFrom() - now, fallingWakeMs);
    mPeakTimer.start(int(std::min<qint64>(wait, PeakMeter::kHoldMs)));
}

void BarGauge::InitProperties() {
    mSettings = BarSettings{};
}

void BarGauge::ReadProperties(const PropertyBag& bag) {
    const BarSettings defaults;
    const auto color = [&](const char* key, std::uint32_t def) {
        return static_cast<std::uint32_t>(
            bag.ReadProperty(QLatin1String(key), static_cast<std::int32_t>(def)).toLong());
    };
    const auto integer = [&](const char* key, std::int16_t def) {
        return bag.ReadProperty(QLatin1String(key), def).toInteger();
    };

    // Convert everything before assigning anything, so that a bad entry leaves the gauge whole.
    const std::uint32_t backColor = color("BackColor", kGaugeButtonFace);
    const std::int16_t appearance = integer("Appearance", 1);
    BarSettings s;
    s.logarithmic = bag.ReadProperty(QStringLiteral("Logarithmic"), false).toBoolean();
    s.min = integer("Min", defaults.min);
    s.max = integer("Max", defaults.max);
    s.yellowThreshold =
        bag.ReadProperty(QStringLiteral("YellowThreshold"), defaults.yellowThreshold);
    s.redThreshold = integer("RedThreshold", defaults.redThreshold);
    s.value = integer("Value", defaults.value);
    s.yellowColor = color("YellowColor", defaults.yellowColor);
    s.redColor = color("RedColor", defaults.redColor);
    s.greenColor = color("GreenColor", defaults.greenColor);

    mBackColor = backColor;
    mAppearance = appearance;
    mSettings = s;
    update(); // the surface's colour and frame; the bar waits for the next layout
}

void BarGauge::WriteProperties(PropertyBag& bag) const {
    const BarSettings defaults;
    const auto color = [&](const char* key, std::uint32_t v, std::uint32_t def) {
        bag.WriteProperty(QLatin1String(key), static_cast<std::int32_t>(v),
                          static_cast<std::int32_t>(def));
    };
    const auto integer = [&](const char* key, std::int16_t v, std::int16_t def) {
        bag.WriteProperty(QLatin1String(key), v, def);
    };
    color("BackColor", mBackColor, kGaugeButtonFace);
    integer("Appearance", mAppearance, 1);
    bag.WriteProperty(QStringLiteral("Logarithmic"), mSettings.logarithmic, false);
    integer("Min", mSettings.min, defaults.min);
    integer("Max", mSettings.max, defaults.max);
    bag.WriteProperty(QStringLiteral("YellowThreshold"), mSettings.yellowThreshold,
                      defaults.yellowThreshold);
    integer("RedThreshold", mSettings.redThreshold, defaults.redThreshold);
    integer("Value", mSettings.value, defaults.value);
    color("YellowColor", mSettings.yellowColor, defaults.yellowColor);
    color("RedColor", mSettings.redColor, defaults.redColor);
    color("GreenColor", mSettings.greenColor, defaults.greenColor);
}

QRect BarGauge::innerRect() const {
    return mAppearance != 0 ? rect().adjusted(kFrame3D, kFrame3D, -kFrame3D, -kFrame3D) : rect();
}

BarGauge::Scale BarGauge::scale() const {
    return {Twips::dpiX(this), Twips::dpiY(this)};
}

QSizeF BarGauge::drawingArea() const {
    return drawingArea(scale());
}

QSizeF BarGauge::drawingArea(const Scale& s) const {
    const QRect inner = innerRect();
    const double perInch = Twips::kPerInch;
    return {std::max(0, inner.width()) * perInch / s.dpiX,
            std::max(0, inner.height()) * perInch / s.dpiY};
}

double BarGauge::barEndX(std::int16_t value) const {
    return barEndX(value, scale());
}

double BarGauge::barEndX(std::int16_t value, const Scale& s) const {
    BarSettings settings = mSettings;
    settings.value = value;
    const BarLine line = layoutBar(settings, drawingArea(s), BarLine{});
    return innerRect().left() + line.x2 * s.dpiX / Twips::kPerInch;
}

QRectF BarGauge::strokeRect(const BarLine& bar, const Scale& s) const {
    const QRect inner = innerRect();
    const double sx = s.dpiX / Twips::kPerInch;
    const double sy = s.dpiY / Twips::kPerInch;
    // The stroke has flat ends: it covers x1..x2 and its width centred on y1, cut off by the
    // inner area (a value above Max runs past the right edge, one below Min ends left of it).
    const double left = std::min(bar.x1, bar.x2) * sx;
    const double right = std::max(bar.x1, bar.x2) * sx;
    const double top = (bar.y1 - bar.width / 2.0) * sy;
    return {inner.left() + left, inner.top() + top, right - left, bar.width * sy};
}

void BarGauge::setPaintCacheEnabled(bool enabled) {
    mCacheEnabled = enabled;
    mSurface = QPixmap();
    update();
}

void BarGauge::paintSurface(QPainter& p) const {
    const QPalette& pal = palette();
    p.fillRect(rect(), resolved(mBackColor, pal, pal.color(QPalette::Button)));
    if (mAppearance != 0)
        qDrawShadePanel(&p, rect(), pal, /*sunken=*/true, kFrame3D);
}

const QPixmap& BarGauge::surface() {
    const qreal dpr = devicePixelRatioF();
    const SurfaceKey key{dpr, palette().cacheKey(), mBackColor, mAppearance, isEnabled()};
    if (mSurface.isNull() || key != mSurfaceKey || mSurface.deviceIndependentSize() != size()) {
        mSurface = QPixmap(size() * dpr);
        mSurface.setDevicePixelRatio(dpr);
        QPainter p(&mSurface);
        paintSurface(p);
        mSurfaceKey = key;
    }
    return mSurface;
}

void BarGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (mCacheEnabled)
        p.drawPixmap(0, 0, surface()); // clipped to what needs repainting
    else
        paintSurface(p);
    const QRect inner = innerRect();
    if (inner.isEmpty())
        return;
    p.setClipRect(inner);
    p.fillRect(strokeRect(mBar, scale()),
               resolved(mBar.color, palette(), colorFromDesigned(kGaugeGreen)));
    if (!mMark.isEmpty())
        p.fillRect(mMark, palette().color(QPalette::WindowText));
}

void BarGauge::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    DrawBar();
    mMarkPeak = std::numeric_limits<int>::min(); // the same peak lands elsewhere now
    updatePeak();
}

} // namespace tarvex
