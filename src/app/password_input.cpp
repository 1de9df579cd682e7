#include "password_input.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace tarvex {

namespace {

// Longer than any password the users file takes, so that one past the limit is refused for
// its length rather than cut to fit.
constexpr std::size_t kMaxLine = 4096;

// The terminal as it was, put back should a signal end the program while echo is off.
termios gSaved{};
volatile std::sig_atomic_t gEchoOff = 0;

void restoreAndDie(int signal) {
    if (gEchoOff)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &gSaved);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::optional<QString> readStdinLine() {
    std::string line;
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(stdin)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() <= kMaxLine)
            line.push_back(static_cast<char>(c));
    }
    if (!any)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromLocal8Bit(line);
}

std::optional<QString> readHidden(const QString& prompt) {
    std::fputs(prompt.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    termios quiet{};
    const bool hidden = ::tcgetattr(STDIN_FILENO, &gSaved) == 0;
    if (hidden) {
        quiet = gSaved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL; // the line end still shows, so the next prompt starts afresh
        for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP})
            std::signal(s, restoreAndDie);
        gEchoOff = 1;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::optional<QString> line = readStdinLine();
    if (hidden) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &gSaved);
        gEchoOff = 0;
        for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP})
            std::signal(s, SIG_DFL);
    }
    return line;
}

} // namespace

PasswordInput PasswordInput::standardInput() {
    if (::isatty(STDIN_FILENO))
        return {true, &readHidden};
    return {false, [](const QString&) { return readStdinLine(); }};
}

} // namespace tarvex
