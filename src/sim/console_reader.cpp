#include "sim/console_reader.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tarvex::sim {

ConsoleReader::ConsoleReader(int fd, QObject* parent) : QObject(parent), fd_(fd) {
    if (::fcntl(fd_, F_GETFD) < 0)
        return; // no such descriptor: nothing to read
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ConsoleReader::onReadable);
}

void ConsoleReader::onReadable() {
    // One read per wakeup: a blocking descriptor (a terminal, a pipe) is known to have data.
    char buf[512];
    ssize_t n;
    do {
        n = ::read(fd_, buf, sizeof buf);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return;
    if (n <= 0) {
        notifier_->setEnabled(false); // end of file, or nothing more will come
        return;
    }
    buffer_.append(buf, n);
    qsizetype end;
    while ((end = buffer_.indexOf('\n')) >= 0) {
        const QByteArray line = buffer_.left(end);
        buffer_.remove(0, end + 1);
        emit lineRead(QString::fromLocal8Bit(line).trimmed());
    }
    if (buffer_.size() > kMaxLine)
        buffer_.clear(); // no command is this long; do not keep collecting
}

} // namespace tarvex::sim
