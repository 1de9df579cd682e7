#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace tarvex {

// Window and panel geometry is designed in twips (1/1440 inch). This is the one place that turns
// twips into pixels and back, with the logical DPI of the screen the reference widget is on
// (the primary screen without a widget): 15 twips per pixel at 96 DPI.
class Twips {
public:
    static constexpr int kPerInch = 1440;

    static int toPixelsX(int twips, const QWidget* reference = nullptr);
    static int toPixelsY(int twips, const QWidget* reference = nullptr);
    static int fromPixelsX(int pixels, const QWidget* reference = nullptr);
    static int fromPixelsY(int pixels, const QWidget* reference = nullptr);

    static QPoint toPixels(const QPoint& twips, const QWidget* reference = nullptr);
    static QSize toPixels(const QSize& twips, const QWidget* reference = nullptr);
    static QRect toPixels(const QRect& twips, const QWidget* reference = nullptr);
    static QSize fromPixels(const QSize& pixels, const QWidget* reference = nullptr);
    static QRect fromPixels(const QRect& pixels, const QWidget* reference = nullptr);

    // The arithmetic itself, rounded to the nearest whole unit.
    static int toPixels(int twips, double dpi);
    static int fromPixels(int pixels, double dpi);

    static double dpiX(const QWidget* reference = nullptr);
    static double dpiY(const QWidget* reference = nullptr);
};

} // namespace tarvex
