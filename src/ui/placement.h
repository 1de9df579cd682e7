#pragma once

#include <QList>
#include <QRect>

namespace tarvex {

// A window placement as saved, in twips, and where it may go on the screens there are now. The
// saved values may be anything: from another monitor layout, or edited by hand.
struct Placement {
    // How much of the window's top edge must lie on one screen for its title bar to be grabbed.
    static constexpr int kGripWidth = 100;
    static constexpr int kGripHeight = 20;

    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    // The placement in pixels, its size cut to the available area of the screen it lands on.
    // When no screen shows a grip of its top edge it moves to the top-left corner of the first
    // screen (the primary). Computed in 64 bits, so no saved value can wrap around.
    QRect onScreen(double dpiX, double dpiY, const QList<QRect>& availableScreens) const;
};

} // namespace tarvex
