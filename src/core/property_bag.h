#pragma once

#include "variant.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace tarvex {

// A keyed store of named values through which modules save their settings. Keys compare
// without regard to case. The whole bag reads out as one self-describing byte block.
class PropertyBag {
public:
    // Stores the value; a value equal to the default is not stored (and drops an older one).
    // Empty, Null and object values, and names longer than 65535 bytes, cannot be saved: they
    // throw VariantError and leave the bag unchanged.
    void WriteProperty(const QString& name, const Variant& value, const Variant& defaultValue = {});
    // The stored value, or the default when the bag holds none.
    Variant ReadProperty(const QString& name, const Variant& defaultValue = {}) const;

    // Integers of 16 and 32 bits, bytes, booleans, doubles, text and byte blocks.
    QByteArray Contents() const;
    // Replaces the bag's values with those decoded from the block. Decoding stops at the first
    // damaged entry and keeps the entries before it; returns false when the block was damaged.
    // Lengths in the block are never trusted beyond the block's own size.
    bool setContents(const QByteArray& block);

    // Cuts every text value longer than maxLength characters to that length, never inside a
    // surrogate pair.
    void cutTexts(qsizetype maxLength);

    bool contains(const QString& name) const;
    int count() const { return static_cast<int>(mKeys.size()); }

private:
    static QString key(const QString& name) { return name.toCaseFolded(); }

    QStringList mKeys; // original names, in the order first written
    QHash<QString, Variant> mValues;
};

} // namespace tarvex
