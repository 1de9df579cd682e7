#pragma once

#include "core/item.h"
#include "core/variant.h"

#include <QString>

namespace tarvex {

// The text form of an item value in the diagnostic views: "<Empty>" for a value never assigned,
// "<Null>", text between double quotes, "<Object>", otherwise the value's ordinary text.
QString FormatValue(const Variant& value);

// Name=value, with no spaces: "0band=5", "0message=\"Amp on\"".
QString FormatItem(const Item& item);

} // namespace tarvex
