#include "static_layer.h"

#include "ui/up_down.h"

#include <QLabel>
#include <QPainter>
#include <QSet>

#include <algorithm>

namespace tarvex {

void StaticLayer::setEnabled(bool enabled) {
    if (enabled == mEnabled)
        return;
    mEnabled = enabled;
    release();
    if (enabled && mAdopted)
        adopt();
    mPanel->update();
}

void StaticLayer::adopt() {
    mAdopted = true;
    if (!mEnabled)
        return;
    release();
    for (QLabel* caption : pickCaptions()) {
        caption->hide();
        mCaptions.append(caption);
    }
}

void StaticLayer::release() {
    for (const QPointer<QLabel>& caption : std::as_const(mCaptions)) {
        if (caption)
            caption->show();
    }
    mCaptions.clear();
    mPicture = QPixmap();
}

QList<QLabel*> StaticLayer::pickCaptions() const {
    QSet<const QWidget*> buddies;
    for (const UpDown* upDown : mPanel->findChildren<UpDown*>())
        buddies.insert(upDown->buddyLabel());
    QList<QLabel*> picked;
    QList<QRect> changing; // what lies below, bottom first
    for (QObject* child : mPanel->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isHidden())
            continue;
        auto* label = qobject_cast<QLabel*>(w);
        const bool fixed = label && !label->objectName().startsWith(QLatin1String("U_")) &&
                           !buddies.contains(label) && label->toolTip().isEmpty();
        const bool covers = std::any_of(changing.cbegin(), changing.cend(), [&](const QRect& r) {
            return r.intersects(w->geometry());
        });
        if (fixed && !covers)
            picked.append(label);
        else
            changing.append(w->geometry());
    }
    return picked;
}

StaticLayer::Look StaticLayer::look() const {
    Look l{mPanel->size(),
           mPanel->devicePixelRatioF(),
           mPanel->palette().cacheKey(),
           mPanel->isEnabled(),
           {}};
    for (const QPointer<QLabel>& c : mCaptions) {
        if (c)
            l.captions.push_back(
                {c->text(), c->geometry(), c->font(), c->palette().cacheKey(), c->isEnabled()});
    }
    return l;
}

bool StaticLayer::paint(QPainter& painter) {
    if (!mEnabled)
        return false;
    if (Look now = look(); mPicture.isNull() || !(now == mLook)) {
        mLook = std::move(now);
        draw();
    }
    painter.drawPixmap(0, 0, mPicture); // clipped to what needs repainting
    return true;
}

void StaticLayer::draw() {
    const qreal dpr = mPanel->devicePixelRatioF();
    mPicture = QPixmap(mPanel->size() * dpr);
    mPicture.setDevicePixelRatio(dpr);
    // The background and lines as the panel paints them, then the captions in their stacking
    // order, each as it paints itself on screen (its background only if it fills one).
    QPainter p(&mPicture);
    p.fillRect(QRect(QPoint(), mPanel->size()), mPanel->palette().brush(mPanel->backgroundRole()));
    mPaintLines(p);
    for (const QPointer<QLabel>& c : std::as_const(mCaptions)) {
        if (c)
            c->render(&p, c->pos(), QRegion(), QWidget::DrawChildren);
    }
}

} // namespace tarvex
