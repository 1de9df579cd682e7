#include "password_hash.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace tarvex {

PasswordHash PasswordHash::make(const QString& password, int iterations) {
    PasswordHash h;
    h.iterations = iterations;
    h.salt.resize(kSaltBytes);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(h.salt.data()),
                                          kSaltBytes / int(sizeof(quint32)));
    h.hash = derive(password, h.salt, iterations);
    return h;
}

QByteArray PasswordHash::derive(const QString& password, const QByteArray& salt, int iterations) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              iterations, kHashBytes);
}

bool PasswordHash::matches(const QString& password) const {
    return sameBytes(derive(password, salt, iterations), hash);
}

bool PasswordHash::sameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace tarvex
