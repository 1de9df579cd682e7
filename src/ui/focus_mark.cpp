#include "focus_mark.h"

#include <QPainter>
#include <QWidget>

namespace tarvex {

void drawFocusMark(QPainter& painter, const QWidget* control, const QRect& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(control->palette().color(control->foregroundRole()), 1, Qt::DotLine));
    painter.drawRect(rect.adjusted(2, 2, -3, -3));
    painter.restore();
}

} // namespace tarvex
