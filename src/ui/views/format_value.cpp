#include "format_value.h"

namespace tarvex {

QString FormatValue(const Variant& value) {
    switch (value.type()) {
    case Variant::Type::Empty:
        return QStringLiteral("<Empty>");
    case Variant::Type::Null:
        return QStringLiteral("<Null>");
    case Variant::Type::String:
        return u'"' + *value.peek<QString>() + u'"';
    case Variant::Type::Object:
        return QStringLiteral("<Object>");
    case Variant::Type::Bytes:
        // A byte block has no ordinary text form (converting it would throw); say what it is.
        return QStringLiteral("<Bytes:%1>").arg(value.peek<QByteArray>()->size());
    case Variant::Type::Integer:
    case Variant::Type::Long:
    case Variant::Type::Byte:
    case Variant::Type::Boolean:
    case Variant::Type::Double:
        break;
    }
    return value.toString();
}

QString FormatItem(const Item& item) {
    return item.Name() + u'=' + FormatValue(item.Value());
}

} // namespace tarvex
