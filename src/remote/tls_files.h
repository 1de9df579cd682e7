#pragma once

#include <QSslConfiguration>
#include <QString>

#include <optional>

namespace tarvex {

// The server's TLS setup from a PEM certificate (the first of the file is the server's, any
// further ones its chain) and an unencrypted PEM private key (EC or RSA). Nullopt with a reason
// a user can act on when either cannot be used.
std::optional<QSslConfiguration> loadTls(const QString& certificateFile, const QString& keyFile,
                                         QString* error);

} // namespace tarvex
