#include "data_file.h"

#include "byte_codec.h"

#include <QFile>
#include <QSaveFile>

namespace tarvex::data_file {

namespace {
// The classic tag of a byte array record.
constexpr std::uint16_t kByteBlockTag = 0x2011;
} // namespace

std::optional<QByteArray> readRecord(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        // Creating it tells the user where the list lives; failing to is not fatal.
        if (file.open(QIODevice::WriteOnly))
            file.close();
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    file.close();
    return decodeRecord(bytes);
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
