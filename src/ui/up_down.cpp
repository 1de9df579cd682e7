#include "up_down.h"

#include "twips.h"

#include <QLabel>
#include <QToolButton>

namespace tarvex {

namespace {

// The designed size of the tuning panel's up-downs, in twips.
constexpr QSize kDesignedTwips(240, 405);

QToolButton* makeArrow(QWidget* parent, const char* name) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoRepeat(true); // keeps stepping while held
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), mUp(makeArrow(this, "arrowUp")), mDown(makeArrow(this, "arrowDown")) {
    connect(mUp, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(mDown, &QToolButton::clicked, this, &UpDown::stepDown);
    layoutButtons();
}

void UpDown::setMin(int min) {
    mMin = min;
    store(std::clamp(mValue, low(), high()));
}

void UpDown::setMax(int max) {
    mMax = max;
    store(std::clamp(mValue, low(), high()));
}

void UpDown::setValue(int value) {
    store(std::clamp(value, low(), high()));
}

void UpDown::setBuddyLabel(QLabel* label) {
    mBuddy = label;
    updateBuddy();
}

void UpDown::stepUp() {
    step(true);
}

void UpDown::stepDown() {
    step(false);
}

QSize UpDown::sizeHint() const {
    return Twips::toPixels(kDesignedTwips, this);
}

void UpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutButtons();
}

void UpDown::store(int value) {
    if (value == mValue)
        return;
    mValue = value;
    updateBuddy();
    emit valueChanged(mValue);
}

void UpDown::step(bool towardMax) {
    const int target = towardMax ? mMax : mMin;
    // Value lies within the range, so a step toward one of its ends cannot leave it.
    if (mValue != target)
        store(mValue < target ? mValue + 1 : mValue - 1);
}

void UpDown::updateBuddy() {
    if (mBuddy)
        mBuddy->setText(QString::number(mValue));
}

void UpDown::layoutButtons() {
    const int w = width();
    const int h = height();
    if (h >= w) { // stacked: up above down
        const int half = h / 2;
        mUp->setArrowType(Qt::UpArrow);
        mDown->setArrowType(Qt::DownArrow);
        mUp->setGeometry(0, 0, w, half);
        mDown->setGeometry(0, half, w, h - half);
    } else { // side by side: down on the left, up on the right
        const int half = w / 2;
        mDown->setArrowType(Qt::LeftArrow);
        mUp->setArrowType(Qt::RightArrow);
        mDown->setGeometry(0, 0, half, h);
        mUp->setGeometry(half, 0, w - half, h);
    }
}

} // namespace tarvex
