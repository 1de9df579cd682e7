#include "colors.h"

#include <QGuiApplication>

#include <array>

namespace tarvex {

namespace {

// System colour numbers 0..24 in their classic order, each with the nearest palette role. The
// application workspace and the button shadow carry white text on the panels (the message line,
// the read-outs, the switches), so they take the palette's darkest grey: its Dark role reads at
// only 2.6:1 under white text in a light theme, its Shadow at 4.5:1.
constexpr std::array<QPalette::ColorRole, 25> kSystemRoles = {
    QPalette::Button,          // 0 scroll bar
    QPalette::Dark,            // 1 desktop
    QPalette::Highlight,       // 2 active title bar
    QPalette::Mid,             // 3 inactive title bar
    QPalette::Base,            // 4 menu bar
    QPalette::Base,            // 5 window background
    QPalette::Shadow,          // 6 window frame
    QPalette::WindowText,      // 7 menu text
    QPalette::Text,            // 8 window text
    QPalette::HighlightedText, // 9 active title bar text
    QPalette::Window,          // 10 active border
    QPalette::Window,          // 11 inactive border
    QPalette::Shadow,          // 12 application workspace
    QPalette::Highlight,       // 13 highlight
    QPalette::HighlightedText, // 14 highlight text
    QPalette::Button,          // 15 button face
    QPalette::Shadow,          // 16 button shadow
    QPalette::PlaceholderText, // 17 grey text
    QPalette::ButtonText,      // 18 button text
    QPalette::Midlight,        // 19 inactive title bar text
    QPalette::Light,           // 20 button highlight
    QPalette::Shadow,          // 21 3D dark shadow
    QPalette::Midlight,        // 22 3D light
    QPalette::ToolTipText,     // 23 tool tip text
    QPalette::ToolTipBase,     // 24 tool tip background
};

} // namespace

std::optional<QPalette::ColorRole> systemColorRole(std::uint32_t designed) {
    if (!isSystemColor(designed))
        return std::nullopt;
    const std::uint32_t number = designed & ~kSystemColorFlag;
    if (number >= kSystemRoles.size())
        return std::nullopt;
    return kSystemRoles[number];
}

QColor colorFromDesigned(std::uint32_t designed, const QPalette& palette) {
    if (isSystemColor(designed)) {
        const auto role = systemColorRole(designed);
        return role ? palette.color(QPalette::Active, *role) : QColor();
    }
    return QColor(int(designed & 0xFF), int((designed >> 8) & 0xFF), int((designed >> 16) & 0xFF));
}

QColor colorFromDesigned(std::uint32_t designed) {
    return colorFromDesigned(designed, QGuiApplication::palette());
}

std::uint32_t designedFromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return std::uint32_t(rgb.red()) | (std::uint32_t(rgb.green()) << 8) |
           (std::uint32_t(rgb.blue()) << 16);
}

} // namespace tarvex
