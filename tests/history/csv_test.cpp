#include "history/csv_writer.h"

#include "../support/printers.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

struct FieldCase {
    const char* name;
    QString text;
    QString csv;
};

class CsvField : public testing::TestWithParam<FieldCase> {};

TEST_P(CsvField, IsQuotedOnlyWhenItMustBe) {
    EXPECT_EQ(csvField(GetParam().text), GetParam().csv);
}

INSTANTIATE_TEST_SUITE_P(Rfc4180, CsvField,
                         testing::Values(FieldCase{"plain", QStringLiteral("Amp on and operating"),
                                                   QStringLiteral("Amp on and operating")},
                                         FieldCase{"comma", QStringLiteral("Port 1, COM"),
                                                   QStringLiteral("\"Port 1, COM\"")},
                                         FieldCase{"quote", QStringLiteral("say \"hi\""),
                                                   QStringLiteral("\"say \"\"hi\"\"\"")},
                                         FieldCase{"line_break", QStringLiteral("a\r\nb"),
                                                   QStringLiteral("\"a\r\nb\"")},
                                         FieldCase{"empty", QString(), QString()}),
                         test::CaseName{});

TEST(Csv, EventsHaveAHeaderAndOneLinePerEvent) {
    const std::vector<HistoryEvent> events = {
        {1'714'529'647'250, 0, QStringLiteral("Tower, left"), QStringLiteral("fault"), 14,
         QStringLiteral("Excessive refl. power")},
        {1'714'529'650'000,
         1,
         QStringLiteral("B"),
         QStringLiteral("state"),
         {},
         QStringLiteral("Operate")},
    };
    EXPECT_EQ(
        eventsCsv(events),
        QByteArray("time,amplifier,name,kind,code,text\r\n"
                   "2024-05-01T02:14:07.250Z,0,\"Tower, left\",fault,14,Excessive refl. power\r\n"
                   "2024-05-01T02:14:10.000Z,1,B,state,,Operate\r\n"));
}

} // namespace
} // namespace tarvex
