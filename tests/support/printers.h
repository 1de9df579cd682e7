#pragma once

#include "core/variant.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <sstream>
#include <string>

// Printers found by GoogleTest through argument-dependent lookup, so a failed comparison of Qt
// values or Variants reads as text rather than as raw bytes.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray& b, std::ostream* os) {
    *os << '"' << b.toPercentEncoding(" !#$&'()*+,-./:;<=>?@[]^_`{|}~").toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (qsizetype i = 0; i < l.size(); ++i) {
        if (i)
            *os << ", ";
        PrintTo(l[i], os);
    }
    *os << '}';
}
QT_END_NAMESPACE

namespace tarvex {

inline void PrintTo(const Variant& v, std::ostream* os) {
    static const char* const kTypes[] = {"Empty", "Null", "Integer", "Long",   "Byte",
                                         "Boolean", "Double", "String", "Object", "Bytes"};
    *os << kTypes[static_cast<int>(v.type())];
    if (v.type() == Variant::Type::Bytes)
        PrintTo(v.toBytes(), os);
    else if (v.type() != Variant::Type::Empty && v.type() != Variant::Type::Null &&
             v.type() != Variant::Type::Object)
        *os << '(' << v.toString().toStdString() << ')';
}

namespace test {

// A Variant as the printer shows it, "Integer(5)": compares type and value at once.
inline std::string shown(const Variant& v) {
    std::ostringstream os;
    PrintTo(v, &os);
    return os.str();
}

// Name generator for parameterized tests: each case is named by its own `name` field, so ctest
// names are readable and the same on every run.
struct CaseName {
    template <typename P> std::string operator()(const testing::TestParamInfo<P>& info) const {
        std::string out;
        for (const char c : std::string(info.param.name))
            out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return out.empty() ? "case" + std::to_string(info.index) : out;
    }
};

} // namespace test
} // namespace tarvex
