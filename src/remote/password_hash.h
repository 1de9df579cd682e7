#pragma once

#include <QByteArray>
#include <QString>

namespace tarvex {

// A password as the users file keeps it: PBKDF2-SHA256 over a random salt.
struct PasswordHash {
    static constexpr int kIterations = 100000;
    static constexpr int kMinIterations = 100000; // a weaker entry is refused, not trusted
    static constexpr int kSaltBytes = 16;
    static constexpr int kHashBytes = 32;

    int iterations = kIterations;
    QByteArray salt;
    QByteArray hash;

    // A fresh salt from the system's random source.
    static PasswordHash make(const QString& password, int iterations = kIterations);
    static QByteArray derive(const QString& password, const QByteArray& salt, int iterations);
    // Compares in time that depends on the length only, so that the time taken tells an
    // attacker nothing of how much of the hash was right.
    bool matches(const QString& password) const;
    static bool sameBytes(const QByteArray& a, const QByteArray& b);
};

} // namespace tarvex
