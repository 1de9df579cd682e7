#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <utility>

namespace tarvex {

// Little-endian writer for the program's own binary records.
class ByteWriter {
public:
    void u8(std::uint8_t v) { mOut.append(static_cast<char>(v)); }
    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    void u64(std::uint64_t v);
    void raw(const QByteArray& b) { mOut.append(b); }
    // A 32-bit length followed by the bytes.
    void block(const QByteArray& b);
    const QByteArray& bytes() const { return mOut; }

private:
    QByteArray mOut;
};

// Bounds-checked reader: every read fails (nullopt) rather than run past the end, so a length
// read from the data can never make us allocate more than the data holds.
class ByteReader {
public:
    // Keeps its own (shared, not copied) handle, so a temporary argument cannot dangle.
    explicit ByteReader(QByteArray in) : mIn(std::move(in)) {}
    std::optional<std::uint8_t> u8();
    std::optional<std::uint16_t> u16();
    std::optional<std::uint32_t> u32();
    std::optional<std::uint64_t> u64();
    std::optional<QByteArray> raw(qsizetype n);
    std::optional<QByteArray> block();
    qsizetype remaining() const { return mIn.size() - mPos; }
    bool atEnd() const { return remaining() == 0; }

private:
    QByteArray mIn;
    qsizetype mPos = 0;
};

} // namespace tarvex
