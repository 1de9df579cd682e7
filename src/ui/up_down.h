#pragma once

#include "binding/up_down_control.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <algorithm>

class QToolButton;

namespace tarvex {

// A small spin control without a text field of its own: two arrow buttons that step Value by
// one within Min..Max, and an optional buddy label that shows Value as text. It takes the focus
// (by Tab or a click on an arrow); then Up and Down step by one and Page Up and Page Down by a
// tenth of the range, and both arrows show a focus mark.
//
// Value always lies between Min and Max (in either order). valueChanged is emitted whenever
// Value changes, whatever changed it (a click, setValue, or a new Min or Max pulling it into
// range), and never when a write leaves it as it was; binders depend on that to end echoes.
// The up button moves Value toward Max and the down button toward Min, so with Min <= Max up
// adds one and down takes one away.
class UpDown : public QWidget, public UpDownControl {
    Q_OBJECT

public:
    explicit UpDown(QWidget* parent = nullptr);

    int min() const override { return mMin; }
    void setMin(int min) override;
    int max() const override { return mMax; }
    void setMax(int max) override;
    int value() const override { return mValue; }
    // Stores the value clamped into the range.
    void setValue(int value) override;

    QWidget* widget() override { return this; }
    QMetaObject::Connection connectValueChanged(QObject* receiver,
                                                std::function<void()> handler) override {
        return QObject::connect(this, &UpDown::valueChanged, receiver, std::move(handler));
    }

    // The label that shows Value; it is updated at once and on every change. The up-down does
    // not own it and lets go when it is destroyed.
    void setBuddyLabel(QLabel* label);
    QLabel* buddyLabel() const { return mBuddy; }

    // One step toward Max or toward Min, as the arrow buttons do.
    void stepUp();
    void stepDown();
    // What Page Up and Page Down move: a tenth of the range, at least one.
    int pageStep() const;

    QSize sizeHint() const override;

signals:
    void valueChanged(int value);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int low() const { return std::min(mMin, mMax); }
    int high() const { return std::max(mMin, mMax); }
    void store(int value); // value already within range
    void step(bool towardMax, int amount = 1);
    void updateBuddy();
    void layoutButtons();

    int mMin = 0;
    int mMax = 10;
    int mValue = 0;
    QToolButton* mUp = nullptr;
    QToolButton* mDown = nullptr;
    QPointer<QLabel> mBuddy;
};

} // namespace tarvex
