#include "property_bag.h"

#include "byte_codec.h"

#include <bit>
#include <cmath>

namespace tarvex {

namespace {

constexpr char kMagic[] = {'T', 'V', 'P', 'B'};
constexpr std::uint8_t kFormatVersion = 1;

// Tags of the stored value kinds.
enum Tag : std::uint8_t {
    kTagInteger = 2,
    kTagLong = 3,
    kTagDouble = 5,
    kTagString = 8,
    kTagBoolean = 11,
    kTagByte = 17,
    kTagBytes = 32,
};

// Writes one value; returns false for kinds that are not stored.
bool encodeValue(ByteWriter& w, const Variant& v) {
    if (auto p = v.peek<std::int16_t>()) {
        w.u8(kTagInteger);
        w.u16(static_cast<std::uint16_t>(*p));
    } else if (auto p = v.peek<std::int32_t>()) {
        w.u8(kTagLong);
        w.u32(static_cast<std::uint32_t>(*p));
    } else if (auto p = v.peek<double>()) {
        w.u8(kTagDouble);
        w.u64(std::bit_cast<std::uint64_t>(*p));
    } else if (auto p = v.peek<QString>()) {
        w.u8(kTagString);
        w.block(p->toUtf8());
    } else if (auto p = v.peek<bool>()) {
        w.u8(kTagBoolean);
        w.u8(*p ? 1 : 0);
    } else if (auto p = v.peek<std::uint8_t>()) {
        w.u8(kTagByte);
        w.u8(*p);
    } else if (auto p = v.peek<QByteArray>()) {
        w.u8(kTagBytes);
        w.block(*p);
    } else {
        return false;
    }
    return true;
}

std::optional<Variant> decodeValue(ByteReader& r) {
    const auto tag = r.u8();
    if (!tag)
        return std::nullopt;
    switch (*tag) {
    case kTagInteger:
        if (auto v = r.u16())
            return Variant(static_cast<std::int16_t>(*v));
        break;
    case kTagLong:
        if (auto v = r.u32())
            return Variant(static_cast<std::int32_t>(*v));
        break;
    case kTagDouble:
        if (auto v = r.u64())
            return Variant(std::bit_cast<double>(*v));
        break;
    case kTagString:
        if (auto b = r.block())
            return Variant(QString::fromUtf8(*b));
        break;
    case kTagBoolean:
        if (auto v = r.u8(); v && *v <= 1)
            return Variant(*v == 1);
        break;
    case kTagByte:
        if (auto v = r.u8())
            return Variant(*v);
        break;
    case kTagBytes:
        if (auto b = r.block())
            return Variant(*b);
        break;
    default:
        break;
    }
    return std::nullopt;
}

} // namespace

void PropertyBag::WriteProperty(const QString& name, const Variant& value,
                                const Variant& defaultValue) {
    const QString k = key(name);
    if (!defaultValue.isEmpty() && value.equals(defaultValue).value_or(false)) {
        if (mValues.remove(k) > 0)
            mKeys.removeIf([&](const QString& n) { return key(n) == k; });
        return;
    }
    // Refused here rather than counted now and left out of Contents later, which would lose the
    // entry without a word.
    if (value.isEmpty() || value.isNull() || value.isObject())
        throw VariantError(kErrTypeMismatch,
                           QStringLiteral("%1: an empty, null or object value cannot be saved")
                               .arg(name.left(64)));
    // The name's length is a 16-bit field in the block.
    if (name.toUtf8().size() > 0xFFFF)
        throw VariantError(kErrOverflow, QStringLiteral("A property name is too long to save"));
    if (!mValues.contains(k))
        mKeys.append(name);
    mValues.insert(k, value);
}

Variant PropertyBag::ReadProperty(const QString& name, const Variant& defaultValue) const {
    auto it = mValues.constFind(key(name));
    return it == mValues.constEnd() ? defaultValue : it.value();
}

void PropertyBag::cutTexts(qsizetype maxLength) {
    for (Variant& value : mValues) {
        const QString* text = value.peek<QString>();
        if (!text || text->size() <= maxLength)
            continue;
        qsizetype length = maxLength;
        if (length > 0 && text->at(length - 1).isHighSurrogate())
            --length;
        value = Variant(text->left(length));
    }
}

bool PropertyBag::contains(const QString& name) const {
    return mValues.contains(key(name));
}

QByteArray PropertyBag::Contents() const {
    ByteWriter w;
    w.raw(QByteArray(kMagic, sizeof kMagic));
    w.u8(kFormatVersion);
    for (const QString& name : mKeys) {
        // WriteProperty and the decoder admit only names and values that encode.
        const QByteArray utf8 = name.toUtf8();
        w.u16(static_cast<std::uint16_t>(utf8.size()));
        w.raw(utf8);
        encodeValue(w, mValues.value(key(name)));
    }
    return w.bytes();
}

bool PropertyBag::setContents(const QByteArray& block) {
    mKeys.clear();
    mValues.clear();
    if (block.isEmpty())
        return true;
    ByteReader r(block);
    const auto magic = r.raw(sizeof kMagic);
    const auto version = r.u8();
    if (!magic || *magic != QByteArray(kMagic, sizeof kMagic) || !version ||
        *version != kFormatVersion)
        return false;
    while (!r.atEnd()) {
        const auto nameLen = r.u16();
        if (!nameLen)
            return false;
        const auto name = r.raw(*nameLen);
        if (!name)
            return false;
        const auto value = decodeValue(r);
        if (!value)
            return false;
        const QString n = QString::fromUtf8(*name);
        // Invalid UTF-8 comes back as three-byte replacement characters: a name that would no
        // longer fit its length field when saved again is damage, not a name.
        if (n.toUtf8().size() > 0xFFFF)
            return false;
        if (!mValues.contains(key(n)))
            mKeys.append(n);
        mValues.insert(key(n), *value);
    }
    return true;
}

} // namespace tarvex
