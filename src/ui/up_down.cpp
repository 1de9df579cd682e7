#include "up_down.h"

#include "focus_mark.h"
#include "twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

#include <cstdlib>

namespace tarvex {

namespace {

// The designed size of the tuning panel's up-downs, in twips.
constexpr QSize kDesignedTwips(240, 405);

// An arrow that shows the focus mark while its up-down has the focus; the arrows cover the
// whole up-down, so it cannot show one itself.
class ArrowButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent* event) override {
        QToolButton::paintEvent(event);
        if (parentWidget()->hasFocus()) {
            QPainter p(this);
            drawFocusMark(p, this, rect());
        }
    }
};

QToolButton* makeArrow(QWidget* parent, const char* name) {
    auto* b = new ArrowButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoRepeat(true); // keeps stepping while held
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), mUp(makeArrow(this, "arrowUp")), mDown(makeArrow(this, "arrowDown")) {
    setFocusPolicy(Qt::StrongFocus);
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

int UpDown::pageStep() const {
    return static_cast<int>(std::max<long long>(1, (static_cast<long long>(high()) - low()) / 10));
}

void UpDown::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
        step(true);
        break;
    case Qt::Key_Down:
        step(false);
        break;
    case Qt::Key_PageUp:
        step(true, pageStep());
        break;
    case Qt::Key_PageDown:
        step(false, pageStep());
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
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

void UpDown::step(bool towardMax, int amount) {
    const int target = towardMax ? mMax : mMin;
    // Value lies within the range, so a step toward one of its ends, no longer than the way
    // there, cannot leave it.
    const long long way = std::llabs(static_cast<long long>(target) - mValue);
    const int move = static_cast<int>(std::min<long long>(amount, way));
    store(mValue < target ? mValue + move : mValue - move);
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
