#include "window_placement.h"

#include "core/user_settings.h"

#include "twips.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <array>

namespace tarvex {

namespace {

const QString kGroup = QStringLiteral("Settings");
constexpr std::array<const char*, 4> kKeys = {"Left", "Top", "Width", "Height"};

// The primary screen first: a placement that lands on no screen goes there.
QList<QRect> availableScreens() {
    QList<QRect> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        screens << primary->availableGeometry();
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            screens << screen->availableGeometry();
    }
    return screens;
}

} // namespace

WindowPlacement::WindowPlacement(QWidget* window, QString name)
    : QObject(window), mName(std::move(name)) {}

void WindowPlacement::keep(QWidget* window, const QString& name) {
    if (const auto placement = saved(name))
        restore(window, *placement);
    window->installEventFilter(new WindowPlacement(window, name));
}

std::optional<Placement> WindowPlacement::saved(const QString& name,
                                                const std::optional<Placement>& defaults) {
    QSettings settings = userSettings();
    settings.beginGroup(kGroup);
    std::array<int, 4> twips{};
    if (defaults)
        twips = {defaults->left, defaults->top, defaults->width, defaults->height};
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        // Decimal text; anything unreadable counts as absent.
        bool ok = false;
        const int value =
            settings.value(name + QLatin1String(kKeys[i])).toString().trimmed().toInt(&ok);
        if (ok)
            twips[i] = value;
        else if (!defaults)
            return std::nullopt;
    }
    return Placement{twips[0], twips[1], twips[2], twips[3]};
}

void WindowPlacement::restore(QWidget* window, const Placement& placement) {
    const QList<QRect> screens = availableScreens();
    if (!screens.isEmpty())
        window->setGeometry(placement.onScreen(Twips::dpiX(window), Twips::dpiY(window), screens));
}

void WindowPlacement::save(const QWidget* window, const QString& name) {
    QRect placed = window->geometry();
    if (window->isMinimized() || window->isMaximized() || window->isFullScreen()) {
        if (const QRect normal = window->normalGeometry(); normal.isValid())
            placed = normal;
    }
    const QRect twips = Twips::fromPixels(placed, window);
    const std::array<int, 4> values = {twips.x(), twips.y(), twips.width(), twips.height()};
    QSettings settings = userSettings();
    settings.beginGroup(kGroup);
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        settings.setValue(name + QLatin1String(kKeys[i]), QString::number(values[i]));
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    // Hidden as it closes, as its owner takes it away, or as it is minimised: the placement it
    // had is the one to come back to.
    if (event->type() == QEvent::Hide && watched == parent())
        save(static_cast<const QWidget*>(watched), mName);
    return QObject::eventFilter(watched, event);
}

} // namespace tarvex
