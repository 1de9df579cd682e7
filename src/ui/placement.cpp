#include "placement.h"

#include "twips.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tarvex {

namespace {

std::int64_t pixels(int twips, double dpi) {
    return std::llround(static_cast<double>(twips) * dpi / Twips::kPerInch);
}

// Whether a window at x, y and this wide shows a grip of its top edge on the screen.
bool showsGrip(std::int64_t x, std::int64_t y, std::int64_t width, const QRect& screen) {
    const std::int64_t left = std::max<std::int64_t>(x, screen.left());
    const std::int64_t right = std::min<std::int64_t>(x + width, screen.left() + screen.width());
    const std::int64_t top = std::max<std::int64_t>(y, screen.top());
    const std::int64_t bottom =
        std::min<std::int64_t>(y + Placement::kGripHeight, screen.top() + screen.height());
    return right - left >= std::min<std::int64_t>(Placement::kGripWidth, width) &&
           bottom - top >= Placement::kGripHeight;
}

} // namespace

QRect Placement::onScreen(double dpiX, double dpiY, const QList<QRect>& availableScreens) const {
    const std::int64_t x = pixels(left, dpiX);
    const std::int64_t y = pixels(top, dpiY);
    const auto sizeOn = [&](const QRect& screen) {
        return QSize(static_cast<int>(std::clamp<std::int64_t>(pixels(width, dpiX), 1,
                                                               std::max(1, screen.width()))),
                     static_cast<int>(std::clamp<std::int64_t>(pixels(height, dpiY), 1,
                                                               std::max(1, screen.height()))));
    };
    for (const QRect& screen : availableScreens) {
        const QSize size = sizeOn(screen);
        // A grip on the screen puts x and y within a window's size of it, so they fit an int.
        if (showsGrip(x, y, size.width(), screen))
            return {QPoint(static_cast<int>(x), static_cast<int>(y)), size};
    }
    if (availableScreens.isEmpty())
        return {};
    return {availableScreens.front().topLeft(), sizeOn(availableScreens.front())};
}

} // namespace tarvex
