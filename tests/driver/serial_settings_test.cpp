#include "../support/printers.h"
#include "driver/serial_settings.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using P = SerialSettings::Parity;
using S = SerialSettings::StopBits;

TEST(SerialSettings, ReadsEveryFieldAndWritesItBack) {
    for (const auto& [text, expected, back] :
         std::vector<std::tuple<const char*, SerialSettings, QString>>{
             {"4800,N,8,2", {4800, P::None, 8, S::Two}, "4800,n,8,2"},
             {"9600,e,7,1", {9600, P::Even, 7, S::One}, "9600,e,7,1"},
             {"19200,O,6,1.5", {19200, P::Odd, 6, S::OneAndHalf}, "19200,o,6,1.5"},
             {"110,m,5,1", {110, P::Mark, 5, S::One}, "110,m,5,1"},
             {"\t38400 , S , 8 , 1 ", {38400, P::Space, 8, S::One}, "38400,s,8,1"},
             {"2147483647,n,8,1", {2147483647, P::None, 8, S::One}, "2147483647,n,8,1"}}) {
        const auto parsed = SerialSettings::parse(QString::fromLatin1(text));
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(*parsed, expected) << text;
        EXPECT_EQ(parsed->toString(), back);
    }
}

TEST(SerialSettings, RefusesAnythingElse) {
    for (const char* text :
         {"", "4800,n,8", "4800,n,8,1,", "0,n,8,1", "-4800,n,8,1", "+4800,n,8,1", "48 00,n,8,1",
          "4800.0,n,8,1", "2147483648,n,8,1", "99999999999999999999,n,8,1", "4800,x,8,1",
          "4800,no,8,1", "4800,n,4,1", "4800,n,9,1", "4800,n,8,0", "4800,n,8,3", "4800,n,8,1.0"})
        EXPECT_FALSE(SerialSettings::parse(QString::fromLatin1(text)).has_value()) << text;
}

} // namespace
} // namespace tarvex
