#include "tab_order.h"

#include <QWidget>

#include <algorithm>

namespace tarvex {

namespace {

struct Stop {
    QWidget* widget;
    QRect place; // in the container's coordinates
};

QList<Stop> tabStops(QWidget* container) {
    QList<Stop> stops;
    for (QWidget* w : container->findChildren<QWidget*>()) {
        // A popup list belongs to its combo box's window, not to this one.
        if (w->isWindow() || w->window() != container->window() ||
            !(w->focusPolicy() & Qt::TabFocus))
            continue;
        stops.append({w, QRect(w->mapTo(container, QPoint()), w->size())});
    }
    return stops;
}

} // namespace

QList<QWidget*> orderTabsByPosition(QWidget* container) {
    QList<Stop> stops = tabStops(container);
    std::stable_sort(stops.begin(), stops.end(),
                     [](const Stop& a, const Stop& b) { return a.place.top() < b.place.top(); });
    QList<QWidget*> order;
    for (qsizetype first = 0; first < stops.size();) {
        int bottom = stops[first].place.bottom();
        qsizetype end = first + 1;
        for (; end < stops.size() && stops[end].place.top() <= bottom; ++end)
            bottom = std::max(bottom, stops[end].place.bottom());
        std::stable_sort(
            stops.begin() + first, stops.begin() + end, [](const Stop& a, const Stop& b) {
                return a.place.left() != b.place.left() ? a.place.left() < b.place.left()
                                                        : a.place.top() < b.place.top();
            });
        for (qsizetype i = first; i < end; ++i)
            order.append(stops[i].widget);
        first = end;
    }
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    return order;
}

} // namespace tarvex
