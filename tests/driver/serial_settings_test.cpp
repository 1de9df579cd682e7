#include "driver/serial_settings.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using P = SerialSettings::Parity;
using S = SerialSettings::StopBits;

struct Accepted {
    const char* text;
    SerialSettings expected;
};

class SerialSettingsAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(SerialSettingsAccepts, ReadsEveryField) {
    const auto parsed = SerialSettings::parse(QString::fromLatin1(GetParam().text));
    ASSERT_TRUE(parsed.has_value()) << GetParam().text;
    EXPECT_EQ(*parsed, GetParam().expected)
        << GetParam().text << " -> " << parsed->toString().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Serial, SerialSettingsAccepts,
    ::testing::Values(Accepted{"4800,n,8,1", {4800, P::None, 8, S::One}},
                      Accepted{"4800,N,8,2", {4800, P::None, 8, S::Two}},
                      Accepted{"9600,e,7,1", {9600, P::Even, 7, S::One}},
                      Accepted{"19200,O,6,1.5", {19200, P::Odd, 6, S::OneAndHalf}},
                      Accepted{"110,m,5,1.5", {110, P::Mark, 5, S::OneAndHalf}},
                      Accepted{"57600,S,8,1", {57600, P::Space, 8, S::One}},
                      Accepted{" 38400 , n , 8 , 1 ", {38400, P::None, 8, S::One}},
                      Accepted{"\t300,n,8,1\t", {300, P::None, 8, S::One}},
                      Accepted{"2147483647,n,8,1", {2147483647, P::None, 8, S::One}}));

class SerialSettingsRefuses : public ::testing::TestWithParam<const char*> {};

TEST_P(SerialSettingsRefuses, Text) {
    EXPECT_FALSE(SerialSettings::parse(QString::fromLatin1(GetParam())).has_value()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Serial, SerialSettingsRefuses,
                         ::testing::Values("", ",,,", "4800", "4800,n,8", "4800,n,8,1,",
                                           "4800,n,8,1,0", "0,n,8,1", "-4800,n,8,1", "+4800,n,8,1",
                                           "48 00,n,8,1", "4800.0,n,8,1", "4800x,n,8,1",
                                           "2147483648,n,8,1", "99999999999999999999,n,8,1",
                                           "4800,x,8,1", "4800,,8,1", "4800,no,8,1", "4800,n,4,1",
                                           "4800,n,9,1", "4800,n,08x,1", "4800,n,8,0", "4800,n,8,3",
                                           "4800,n,8,1.0", "4800,n,8,1,5", "4800;n;8;1",
                                           "4800,n,8,1 junk"));

TEST(SerialSettingsMapping, TextAndQtEnumsRoundTrip) {
    const auto s = SerialSettings::parse(u"9600,E,7,2");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->toString(), "9600,e,7,2");
    EXPECT_EQ(SerialSettings::parse(s->toString()), s);
    EXPECT_EQ(s->qtParity(), QSerialPort::EvenParity);
    EXPECT_EQ(s->qtDataBits(), QSerialPort::Data7);
    EXPECT_EQ(s->qtStopBits(), QSerialPort::TwoStop);

    EXPECT_EQ(SerialSettings::parse(u"1200,s,5,1")->qtParity(), QSerialPort::SpaceParity);

    const auto oneAndHalf = SerialSettings::parse(u"110,n,5,1.5");
    EXPECT_EQ(oneAndHalf->toString(), "110,n,5,1.5");
#ifdef Q_OS_WIN
    EXPECT_EQ(oneAndHalf->qtStopBits(), QSerialPort::OneAndHalfStop);
#else
    // Never fewer stop bits than asked for.
    EXPECT_EQ(oneAndHalf->qtStopBits(), QSerialPort::TwoStop);
#endif
}

} // namespace
} // namespace tarvex
