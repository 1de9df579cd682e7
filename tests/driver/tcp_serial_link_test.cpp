// The network serial port.
#include "../support/printers.h"
#include "driver/tcp_serial_link.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

struct AddressCase {
    const char* name;
    const char* text;
    const char* expect; // "host|port", or "" when refused
};

class TcpAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(TcpAddress, OnlyHostAndPortMakeANetworkPort) {
    const auto a = TcpSerialLink::parseAddress(GetParam().text);
    EXPECT_EQ(a ? a->host + "|" + QString::number(a->port) : QString(), GetParam().expect);
}

INSTANTIATE_TEST_SUITE_P(
    Names, TcpAddress,
    ::testing::Values(AddressCase{"ipv4", "tcp://127.0.0.1:7001", "127.0.0.1|7001"},
                      AddressCase{"ipv6_host_name", "TCP://[::1]:65535", "::1|65535"},
                      AddressCase{"no_port", "tcp://shack-pi", ""},
                      AddressCase{"port_zero", "tcp://127.0.0.1:0", ""},
                      AddressCase{"path", "tcp://127.0.0.1:7001/ttyS0", ""},
                      AddressCase{"other_scheme", "telnet://127.0.0.1:7001", ""}),
    test::CaseName{});

} // namespace
} // namespace tarvex
