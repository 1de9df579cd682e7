#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace tarvex::sim {

// Lines typed on a descriptor (standard input) while the event loop runs. Stops quietly at end
// of file, so a simulator started with its input closed or from /dev/null just runs on.
class ConsoleReader : public QObject {
    Q_OBJECT
public:
    explicit ConsoleReader(int fd, QObject* parent = nullptr);

signals:
    void lineRead(const QString& line);

private:
    void onReadable();

    static constexpr qsizetype kMaxLine = 1024;

    int fd_;
    QSocketNotifier* notifier_ = nullptr;
    QByteArray buffer_;
};

} // namespace tarvex::sim
