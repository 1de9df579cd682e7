#include "push_toggle.h"

#include "ui/focus_mark.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace tarvex {

void PushToggle::paint(QAbstractButton* button) {
    QStylePainter p(button);
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    opt.features = QStyleOptionButton::None;
    if (button->isDown() || button->isChecked())
        opt.state |= QStyle::State_Sunken | QStyle::State_On;
    else
        opt.state |= QStyle::State_Raised;
    // The designed colours are the button's palette; the style draws the bevel around them.
    // A pressed switch is also darker, so its state reads at a glance on any style.
    QColor face = button->palette().color(button->backgroundRole());
    if (button->isChecked())
        face = face.darker(170);
    opt.palette.setColor(QPalette::Button, face);
    opt.palette.setColor(QPalette::ButtonText, button->palette().color(button->foregroundRole()));
    p.drawControl(QStyle::CE_PushButtonBevel, opt);
    QStyleOptionButton label = opt;
    label.rect = button->rect();
    if (button->isChecked())
        label.rect.translate(1, 1); // pressed buttons show their caption pushed in
    p.drawControl(QStyle::CE_PushButtonLabel, label);
    if (button->hasFocus())
        drawFocusMark(p, button, button->rect());
}

QSize PushToggle::sizeHint(const QAbstractButton* button) {
    const QFontMetrics fm(button->font());
    return {fm.horizontalAdvance(button->text()) + 8, fm.height() + 6};
}

} // namespace tarvex
