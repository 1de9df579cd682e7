#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tarvex {

// Where a command reads a password from. At a terminal it is asked for twice and not shown;
// from a pipe it is the one line that comes.
struct PasswordInput {
    bool terminal = false;
    // The next line, without its end; nothing at the end of the input. prompt is shown first
    // at a terminal.
    std::function<std::optional<QString>(const QString& prompt)> readLine;

    // Standard input: a terminal (echo off while the line is typed) or whatever feeds it.
    static PasswordInput standardInput();
};

} // namespace tarvex
