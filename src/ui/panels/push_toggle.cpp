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
    // Styles draw a raised face as a gradient about a fifth lighter than the colour they are
    // given, so the switch hands them a fifth darker: the face stays the designed colour, on
    // which its caption reads. A pressed switch is darker still, so its state reads at a glance.
    // Only the group of the button's state is touched: a disabled switch keeps its greyed look.
    const QPalette::ColorGroup group = opt.palette.currentColorGroup();
    const QColor face =
        opt.palette.color(group, button->backgroundRole()).darker(button->isChecked() ? 170 : 120);
    opt.palette.setColor(group, QPalette::Button, face);
    opt.palette.setColor(group, QPalette::ButtonText,
                         opt.palette.color(group, button->foregroundRole()));
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
