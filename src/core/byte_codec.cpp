#include "byte_codec.h"

namespace tarvex {

void ByteWriter::u16(std::uint16_t v) {
    u8(static_cast<std::uint8_t>(v));
    u8(static_cast<std::uint8_t>(v >> 8));
}

void ByteWriter::u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v));
    u16(static_cast<std::uint16_t>(v >> 16));
}

void ByteWriter::u64(std::uint64_t v) {
    u32(static_cast<std::uint32_t>(v));
    u32(static_cast<std::uint32_t>(v >> 32));
}

void ByteWriter::block(const QByteArray& b) {
    u32(static_cast<std::uint32_t>(b.size()));
    raw(b);
}

std::optional<std::uint8_t> ByteReader::u8() {
    if (remaining() < 1)
        return std::nullopt;
    return static_cast<std::uint8_t>(mIn[mPos++]);
}

std::optional<std::uint16_t> ByteReader::u16() {
    if (remaining() < 2)
        return std::nullopt;
    const auto lo = *u8();
    const auto hi = *u8();
    return static_cast<std::uint16_t>(lo | (hi << 8));
}

std::optional<std::uint32_t> ByteReader::u32() {
    if (remaining() < 4)
        return std::nullopt;
    const std::uint32_t lo = *u16();
    const std::uint32_t hi = *u16();
    return lo | (hi << 16);
}

std::optional<std::uint64_t> ByteReader::u64() {
    if (remaining() < 8)
        return std::nullopt;
    const std::uint64_t lo = *u32();
    const std::uint64_t hi = *u32();
    return lo | (hi << 32);
}

std::optional<QByteArray> ByteReader::raw(qsizetype n) {
    if (n < 0 || n > remaining())
        return std::nullopt;
    QByteArray out = mIn.mid(mPos, n);
    mPos += n;
    return out;
}

std::optional<QByteArray> ByteReader::block() {
    const auto n = u32();
    if (!n)
        return std::nullopt;
    return raw(static_cast<qsizetype>(*n));
}

} // namespace tarvex
