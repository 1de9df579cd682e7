#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace tarvex {

// Tells when someone uses a window at the desk: a mouse button or a key pressed anywhere in it.
// It watches the whole application, since the window's panels come and go as the list changes.
class LocalUseWatch : public QObject {
    Q_OBJECT

public:
    LocalUseWatch(QWidget& window, std::function<void()> used, QObject* parent = nullptr);
    ~LocalUseWatch() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> mWindow;
    std::function<void()> mUsed;
};

} // namespace tarvex
