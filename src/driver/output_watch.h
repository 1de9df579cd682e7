#pragma once

#include <QObject>
#include <QTimer>
#include <QtGlobal>

#include <functional>

namespace tarvex {

// Characters the system still holds for a descriptor (a tty's or a socket's output queue);
// 0 when it cannot tell.
qint64 systemOutputQueue(qintptr descriptor);

// Tells a link's user when characters it wrote have left: the system says nothing when its own
// output queue drains, so while anything is pending it is asked again every few milliseconds,
// and not at all when nothing is.
class OutputWatch : public QObject {
    Q_OBJECT

public:
    explicit OutputWatch(std::function<qint64()> pending, QObject* parent = nullptr);

    // After a write, or when the link's own buffer moved on.
    void check();
    void stop() { mPoll.stop(); }

signals:
    void drained();

private:
    std::function<qint64()> mPending;
    QTimer mPoll;
    qint64 mLast = 0;
};

} // namespace tarvex
