#include "local_use_watch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace tarvex {

LocalUseWatch::LocalUseWatch(QWidget& window, std::function<void()> used, QObject* parent)
    : QObject(parent), mWindow(&window), mUsed(std::move(used)) {
    QCoreApplication::instance()->installEventFilter(this);
}

LocalUseWatch::~LocalUseWatch() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool LocalUseWatch::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::KeyPress)
        return false;
    // Presses in the dialogs the window opens are not use of its panels.
    if (!watched->isWidgetType() || !mWindow)
        return false;
    if (static_cast<QWidget*>(watched)->window() == mWindow)
        mUsed();
    return false;
}

} // namespace tarvex
