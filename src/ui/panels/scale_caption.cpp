#include "scale_caption.h"

#include "ui/bar_gauge.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

namespace tarvex {

ScaleCaption::ScaleCaption(const QString& caption, const BarGauge* gauge, double unit,
                           QWidget* parent)
    : QLabel(caption, parent), mGauge(gauge), mUnit(unit) {}

QRect ScaleCaption::room() const {
    QRect room = rect();
    if (const QWidget* parent = parentWidget())
        room &= parent->rect().adjusted(1, 1, -1, -1).translated(-pos());
    return room;
}

void ScaleCaption::fitMask() {
    // A mask clips the background the toolkit fills as well as what paintEvent draws, on screen
    // and when the caption is rendered into the panel's picture.
    if (const QRect r = room(); r == rect())
        clearMask();
    else
        setMask(QRegion(r));
}

bool ScaleCaption::event(QEvent* e) {
    switch (e->type()) {
    // Polished before it is first shown or rendered: a caption the panel's picture adopts is
    // never shown, so its move and resize may never be delivered.
    case QEvent::Polish:
    case QEvent::Move:
    case QEvent::Resize:
        fitMask();
        break;
    default:
        break;
    }
    return QLabel::event(e);
}

QList<ScaleCaption::Mark> ScaleCaption::marks() const {
    QList<Mark> out;
    if (!mGauge)
        return out;
    const QRect room = this->room();
    const QFontMetrics fm = fontMetrics();
    for (const QString& number : text().split(u' ', Qt::SkipEmptyParts)) {
        bool ok = false;
        const double scaled = std::round(number.toDouble(&ok) * mUnit);
        if (!ok || scaled < INT16_MIN || scaled > INT16_MAX)
            continue;
        const auto value = static_cast<std::int16_t>(scaled);
        const double centre = mGauge->x() - x() + mGauge->barEndX(value);
        const int width = fm.horizontalAdvance(number);
        int left = static_cast<int>(std::lround(centre - width / 2.0));
        left = std::max(room.left(), std::min(left, room.right() + 1 - width));
        out.append({number, value, QRect(left, 0, width, height())});
    }
    return out;
}

void ScaleCaption::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOption opt;
    opt.initFrom(this);
    for (const Mark& m : marks())
        style()->drawItemText(&p, m.rect, Qt::AlignCenter, opt.palette, isEnabled(), m.text,
                              foregroundRole());
}

} // namespace tarvex
