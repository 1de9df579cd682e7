#include "item_info.h"

namespace tarvex {

QString ItemInfo::typeName() const {
    switch (typeCode()) {
    case kInt:
        return QStringLiteral("Int");
    case kLong:
        return QStringLiteral("Long");
    case kStr:
        return QStringLiteral("Str");
    case kBool:
        return QStringLiteral("Bool");
    case kByte:
        return QStringLiteral("Byte");
    default:
        return {};
    }
}

} // namespace tarvex
