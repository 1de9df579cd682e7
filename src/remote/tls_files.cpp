#include "tls_files.h"

#include <QDateTime>
#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>

namespace tarvex {

namespace {

// Certificates and keys are small; a larger file is not one.
constexpr qint64 kMaxPemSize = 1 << 20;

std::optional<QByteArray> readPem(const QString& path, const char* what, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The %1 file %2 cannot be read: %3")
                     .arg(QLatin1String(what), path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxPemSize) {
        *error = QStringLiteral("The %1 file %2 is too large to be one")
                     .arg(QLatin1String(what), path);
        return std::nullopt;
    }
    return file.readAll();
}

} // namespace

std::optional<QSslConfiguration> loadTls(const QString& certificateFile, const QString& keyFile,
                                         QString* error) {
    if (certificateFile.isEmpty() || keyFile.isEmpty()) {
        *error = QStringLiteral("TLS needs both a certificate file and its key file");
        return std::nullopt;
    }
    if (!QSslSocket::supportsSsl()) {
        *error = QStringLiteral("TLS is not available: no TLS library was found");
        return std::nullopt;
    }
    const auto certPem = readPem(certificateFile, "certificate", error);
    if (!certPem)
        return std::nullopt;
    const QList<QSslCertificate> chain = QSslCertificate::fromData(*certPem, QSsl::Pem);
    if (chain.isEmpty() || chain.first().isNull()) {
        *error = QStringLiteral("The certificate file %1 holds no PEM certificate")
                     .arg(certificateFile);
        return std::nullopt;
    }
    if (chain.first().expiryDate() < QDateTime::currentDateTimeUtc()) {
        *error = QStringLiteral("The certificate in %1 expired on %2")
                     .arg(certificateFile, chain.first().expiryDate().toString(Qt::ISODate));
        return std::nullopt;
    }
    const auto keyPem = readPem(keyFile, "key", error);
    if (!keyPem)
        return std::nullopt;
    QSslKey key;
    for (const QSsl::KeyAlgorithm algorithm : {QSsl::Ec, QSsl::Rsa}) {
        key = QSslKey(*keyPem, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull())
            break;
    }
    if (key.isNull()) {
        *error = QStringLiteral("The key file %1 holds no unencrypted PEM private key (EC or RSA)")
                     .arg(keyFile);
        return std::nullopt;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone); // browsers bring no certificate of their own
    return tls;
}

} // namespace tarvex
