#include "fit_label.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>

#include <algorithm>

namespace tarvex {

int FitLabel::indentPixels() const {
    // As the toolkit lays out a label: a framed label without an explicit indent keeps half
    // an 'x' clear of the frame on its aligned side.
    const int indent = this->indent() >= 0 || frameWidth() == 0
                           ? this->indent()
                           : fontMetrics().horizontalAdvance(u'x') / 2 - margin();
    return std::max(0, indent);
}

int FitLabel::textRoom() const {
    const bool sided = alignment() & (Qt::AlignLeft | Qt::AlignRight);
    return contentsRect().width() - 2 * margin() - (sided ? indentPixels() : 0);
}

QString FitLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, textRoom());
}

bool FitLabel::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && isElided()) {
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(e);
}

void FitLabel::paintEvent(QPaintEvent* e) {
    const QString shown = shownText();
    if (shown == text()) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    drawFrame(&p);
    QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    if (alignment() & Qt::AlignLeft)
        room.setLeft(room.left() + indentPixels());
    else if (alignment() & Qt::AlignRight)
        room.setRight(room.right() - indentPixels());
    QStyleOption opt;
    opt.initFrom(this); // the palette group of the label's state: greyed when disabled
    style()->drawItemText(&p, room, int(alignment()), opt.palette, isEnabled(), shown,
                          foregroundRole());
}

} // namespace tarvex
