#pragma once

#include <QString>

#include <cstdint>
#include <memory>

namespace tarvex {

// Metadata of an item, set by its producer. Shared by reference; changing a field of a record
// that an item already carries notifies nobody.
struct ItemInfo {
    std::int32_t Low = 0;
    std::int32_t High = 1;
    std::int32_t Metrics = 0; // low four bits: data-type code; higher bits: producer's flags
    std::int32_t Security = 0;
    QString Extended;

    // The data-type codes that govern how an item stores its values.
    enum TypeCode : int { kInt = 0, kLong = 1, kStr = 6, kBool = 9, kByte = 15 };

    int typeCode() const { return Metrics & 0xF; }
    // "Int", "Long", "Str", "Bool", "Byte", or empty text for any other code.
    QString typeName() const;
};

using ItemInfoPtr = std::shared_ptr<ItemInfo>;

} // namespace tarvex
