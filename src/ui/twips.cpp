#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace tarvex {

namespace {

constexpr double kFallbackDpi = 96.0;

double usable(double dpi) {
    return dpi > 0.0 ? dpi : kFallbackDpi;
}

const QScreen* primaryScreen() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? QGuiApplication::primaryScreen()
               : nullptr;
}

} // namespace

double Twips::dpiX(const QWidget* reference) {
    if (reference)
        return usable(reference->logicalDpiX());
    const QScreen* screen = primaryScreen();
    return usable(screen ? screen->logicalDotsPerInchX() : 0.0);
}

double Twips::dpiY(const QWidget* reference) {
    if (reference)
        return usable(reference->logicalDpiY());
    const QScreen* screen = primaryScreen();
    return usable(screen ? screen->logicalDotsPerInchY() : 0.0);
}

int Twips::toPixels(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * usable(dpi) / double{kPerInch}));
}

int Twips::fromPixels(int pixels, double dpi) {
    return static_cast<int>(std::lround(pixels * double{kPerInch} / usable(dpi)));
}

int Twips::toPixelsX(int twips, const QWidget* reference) {
    return toPixels(twips, dpiX(reference));
}

int Twips::toPixelsY(int twips, const QWidget* reference) {
    return toPixels(twips, dpiY(reference));
}

int Twips::fromPixelsX(int pixels, const QWidget* reference) {
    return fromPixels(pixels, dpiX(reference));
}

int Twips::fromPixelsY(int pixels, const QWidget* reference) {
    return fromPixels(pixels, dpiY(reference));
}

QPoint Twips::toPixels(const QPoint& twips, const QWidget* reference) {
    return {toPixelsX(twips.x(), reference), toPixelsY(twips.y(), reference)};
}

QSize Twips::toPixels(const QSize& twips, const QWidget* reference) {
    return {toPixelsX(twips.width(), reference), toPixelsY(twips.height(), reference)};
}

QRect Twips::toPixels(const QRect& twips, const QWidget* reference) {
    return {toPixels(twips.topLeft(), reference), toPixels(twips.size(), reference)};
}

QSize Twips::fromPixels(const QSize& pixels, const QWidget* reference) {
    return {fromPixelsX(pixels.width(), reference), fromPixelsY(pixels.height(), reference)};
}

QRect Twips::fromPixels(const QRect& pixels, const QWidget* reference) {
    return {QPoint(fromPixelsX(pixels.x(), reference), fromPixelsY(pixels.y(), reference)),
            fromPixels(pixels.size(), reference)};
}

} // namespace tarvex
