#pragma once

#include <QList>

class QWidget;

namespace tarvex {

// Sets the Tab order of the controls inside `container` that take the focus by Tab to reading
// order, from their places: controls whose heights overlap form a row (a control joins the row
// when it overlaps the height the row covers so far), rows run top to bottom, and within a row
// controls run left to right, those at the same left top to bottom. So a pair of switches
// stacked in one box is one stop after the other before the next box. Returns the order set.
QList<QWidget*> orderTabsByPosition(QWidget* container);

} // namespace tarvex
