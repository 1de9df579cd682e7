#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>

namespace tarvex {

// Paints a check box or option button as a push button that stays pressed while it is checked,
// the graphical style of the panels' switches. The button keeps its own class, so binding still
// tells an option button from a check box.
class PushToggle {
public:
    static void paint(QAbstractButton* button);
    static QSize sizeHint(const QAbstractButton* button);
};

// An option button in push-button style.
class PushOptionButton : public QRadioButton {
    Q_OBJECT

public:
    using QRadioButton::QRadioButton;
    QSize sizeHint() const override { return PushToggle::sizeHint(this); }

protected:
    void paintEvent(QPaintEvent*) override { PushToggle::paint(this); }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// A check box in push-button style.
class PushCheckBox : public QCheckBox {
    Q_OBJECT

public:
    using QCheckBox::QCheckBox;
    QSize sizeHint() const override { return PushToggle::sizeHint(this); }

protected:
    void paintEvent(QPaintEvent*) override { PushToggle::paint(this); }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

} // namespace tarvex
