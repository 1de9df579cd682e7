#include "data_file.h"

#include "byte_codec.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvex::data_file {

namespace {
// The classic tag of a byte array record.
constexpr std::uint16_t kByteBlockTag = 0x2011;

QString notRegular() {
    return QStringLiteral("not a regular file");
}
} // namespace

std::optional<QByteArray> readRecord(const QString& path, QString* problem) {
    QFile file(path);
    if (!file.exists()) {
        // Creating it tells the user where the list lives; failing to is not fatal.
        if (file.open(QIODevice::WriteOnly))
            file.close();
        return std::nullopt;
    }
    const auto image = readImage(path, problem);
    return image ? decodeRecord(*image) : std::nullopt;
}

std::optional<QByteArray> readImage(const QString& path, QString* problem) {
    const auto refuse = [problem](const QString& why) -> std::optional<QByteArray> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    QFile file;
    // Non-blocking, so that opening a FIFO returns at once; the type is checked on what was
    // opened, not on the name, which may have been replaced in between.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refuse(qt_error_string(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuse(notRegular());
    }
    const QString tooLarge = QStringLiteral("larger than %1 KiB").arg(kMaxFileSize / 1024);
    if (st.st_size > kMaxFileSize) {
        ::close(fd);
        return refuse(tooLarge);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(file.errorString());
    }
    // Bounded even if the file grows while it is read.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    file.close();
    if (bytes.size() > kMaxFileSize)
        return refuse(tooLarge);
    return bytes;
}

std::optional<QByteArray> decodeRecord(const QByteArray& image) {
    ByteReader r(image);
    const auto tag = r.u16();
    const auto length = r.u32();
    if (!tag || *tag != kByteBlockTag || !length)
        return std::nullopt;
    const qsizetype take = std::min<qsizetype>(static_cast<qsizetype>(*length), r.remaining());
    return r.raw(take);
}

QByteArray encodeRecord(const QByteArray& block) {
    ByteWriter w;
    w.u16(kByteBlockTag);
    w.block(block);
    return w.bytes();
}

bool writeRecord(const QString& path, const QByteArray& block, QString* errorText) {
    // The save replaces the file, or the one a link names: never a device, FIFO or directory.
    if (const QFileInfo target(path); target.exists() && !target.isFile()) {
        if (errorText)
            *errorText = notRegular();
        return false;
    }
    const QByteArray image = encodeRecord(block);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    if (file.write(image) != image.size()) {
        if (errorText)
            *errorText = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    return true;
}

} // namespace tarvex::data_file
