#pragma once

class QPainter;
class QRect;
class QWidget;

namespace tarvex {

// The mark that our own painted controls show while they have the keyboard focus: a dotted
// frame just inside `rect`, in the text colour of `control`, so it reads on any background the
// control's text reads on.
void drawFocusMark(QPainter& painter, const QWidget* control, const QRect& rect);

} // namespace tarvex
