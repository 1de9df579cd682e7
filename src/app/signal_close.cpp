#include "signal_close.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvex {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Set before the handlers are installed and cleared after they are gone.
volatile std::sig_atomic_t gWriteFd = -1;

void onSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(gWriteFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalClose::SignalClose(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, mFds) != 0) {
        qWarning("tarvex: signals will end the program without saving: %s", strerror(errno));
        return;
    }
    gWriteFd = mFds[0];
    mNotifier = new QSocketNotifier(mFds[1], QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &SignalClose::readSignal);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int s : kSignals) {
        struct sigaction previous {};
        if (::sigaction(s, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            ::sigaction(s, &action, nullptr);
    }
}

SignalClose::~SignalClose() {
    for (const int s : kSignals) {
        struct sigaction current {};
        if (::sigaction(s, nullptr, &current) == 0 && current.sa_handler == onSignal)
            std::signal(s, SIG_DFL);
    }
    gWriteFd = -1;
    delete mNotifier;
    for (const int fd : mFds) {
        if (fd >= 0)
            ::close(fd);
    }
}

void SignalClose::readSignal() {
    char drained[16];
    while (::read(mFds[1], drained, sizeof drained) > 0) {
    }
    deliver();
}

void SignalClose::deliver() {
    // A modal dialog runs a nested loop, and the code that opened it carries on when it ends:
    // close the dialog as Cancel would, and report only once that code has finished.
    // A run without a window has no dialog to close, and must not ask the widgets of one.
    const bool widgets = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    if (QWidget* modal = widgets ? QApplication::activeModalWidget() : nullptr)
        modal->close();
    if (QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(10, this, &SignalClose::deliver);
        return;
    }
    emit received();
}

} // namespace tarvex
