#include "core/printable.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(Printable, ControlCharactersAreShownAsHexAndTheRestKept) {
    EXPECT_EQ(printable(QStringLiteral("Tower 1")), QStringLiteral("Tower 1"));
    EXPECT_EQ(printable(QStringLiteral("a\nb\tc\x1b[31m")), QStringLiteral("a\\x0Ab\\x09c\\x1B[31m"));
    EXPECT_EQ(printable(QStringLiteral("x\x7f") + QChar(0x85)), QStringLiteral("x\\x7F\\x85"));
    EXPECT_EQ(printable(QStringLiteral("Sté")), QStringLiteral("Sté"));
    EXPECT_FALSE(hasControlCharacters(QStringLiteral("C:\\amp é")));
    EXPECT_TRUE(hasControlCharacters(QStringLiteral("amp\r")));
}

} // namespace
} // namespace tarvex
