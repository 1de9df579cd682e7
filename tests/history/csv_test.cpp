#include "history/csv_writer.h"

#include "../support/printers.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(Csv, QuotesAFieldOnlyWhenItMust) {
    EXPECT_EQ(csvField(QStringLiteral("Amp on and operating")),
              QStringLiteral("Amp on and operating"));
    EXPECT_EQ(csvField(QStringLiteral("say \"hi\"")), QStringLiteral("\"say \"\"hi\"\"\""));
    EXPECT_EQ(csvField(QStringLiteral("a\r\nb")), QStringLiteral("\"a\r\nb\""));
}

} // namespace
} // namespace tarvex
