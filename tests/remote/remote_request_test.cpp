// What a page may send: every message is checked for form, type and range before anything
// acts on it.
#include "remote_fixture.h"

#include "remote/remote_request.h"

namespace tarvex {
namespace {

struct RequestCase {
    const char* name;
    const char* text;
    const char* reason; // empty: accepted
    RemoteControl control = RemoteControl::Power;
    int value = 0;
    int amplifier = 1;
};

class RemoteRequestTest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RemoteRequestTest, IsCheckedBeforeAnythingActs) {
    const RequestCase& c = GetParam();
    QString reason;
    QJsonValue id;
    const auto r = RemoteRequest::parse(c.text, &reason, &id);
    if (QString(c.reason).isEmpty()) {
        ASSERT_TRUE(r) << reason.toStdString();
        EXPECT_EQ(r->type, RemoteRequest::Type::Command);
        EXPECT_EQ(r->control, c.control);
        EXPECT_EQ(r->value, c.value);
        EXPECT_EQ(r->amplifier, c.amplifier);
        EXPECT_EQ(r->id, QJsonValue(7));
    } else {
        EXPECT_FALSE(r);
        EXPECT_TRUE(reason.contains(c.reason)) << reason.toStdString();
    }
}

#define CMD(rest) R"({"type":"command","id":7,)" rest "}"

INSTANTIATE_TEST_SUITE_P(
    Messages, RemoteRequestTest,
    ::testing::Values(
        RequestCase{"band", CMD(R"("amplifier":2,"control":"band","value":5)"), "",
                    RemoteControl::Band, 5, 2},
        RequestCase{"band_160m", CMD(R"("amplifier":1,"control":"band","value":1)"), "",
                    RemoteControl::Band, 1},
        RequestCase{"band_10m", CMD(R"("amplifier":1,"control":"band","value":9)"), "",
                    RemoteControl::Band, 9},
        RequestCase{"band_below", CMD(R"("amplifier":1,"control":"band","value":0)"),
                    "from 1 to 9"},
        RequestCase{"band_above", CMD(R"("amplifier":1,"control":"band","value":10)"),
                    "from 1 to 9"},
        RequestCase{"band_fraction", CMD(R"("amplifier":1,"control":"band","value":5.5)"),
                    "whole number"},
        RequestCase{"band_as_text", CMD(R"("amplifier":1,"control":"band","value":"5")"),
                    "whole number"},
        RequestCase{"segment_above", CMD(R"("amplifier":1,"control":"segment","value":6)"),
                    "from 1 to 5"},
        RequestCase{"tune_top", CMD(R"("amplifier":1,"control":"tune","value":100)"), "",
                    RemoteControl::Tune, 100},
        RequestCase{"load_below", CMD(R"("amplifier":1,"control":"load","value":-1)"),
                    "from 0 to 100"},
        RequestCase{"power_off", CMD(R"("amplifier":1,"control":"power","value":false)"), "",
                    RemoteControl::Power, 0},
        RequestCase{"operate_on", CMD(R"("amplifier":1,"control":"operate","value":true)"), "",
                    RemoteControl::Operate, 1},
        RequestCase{"switch_as_number", CMD(R"("amplifier":1,"control":"operate","value":1)"),
                    "true or false"},
        RequestCase{"key", CMD(R"("amplifier":1,"control":"enter")"), "", RemoteControl::Enter,
                    1},
        RequestCase{"key_with_value", CMD(R"("amplifier":1,"control":"default","value":false)"),
                    "takes no value"},
        RequestCase{"unknown_control", CMD(R"("amplifier":1,"control":"hv","value":true)"),
                    "unknown control"},
        RequestCase{"no_amplifier", CMD(R"("control":"band","value":5)"), "amplifier must"},
        RequestCase{"amplifier_zero", CMD(R"("amplifier":0,"control":"band","value":5)"),
                    "amplifier must"},
        RequestCase{"amplifier_beyond", CMD(R"("amplifier":65,"control":"band","value":5)"),
                    "amplifier must"},
        RequestCase{"unknown_type", R"({"type":"reboot","id":7})", "unknown message type"},
        RequestCase{"long_id",
                    R"({"type":"take","id":")"
                    "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
                    R"("})",
                    "id must"},
        RequestCase{"not_json", "band 5", "not a JSON object"}),
    test::CaseName{});

TEST(RemoteRequest, ARefusalStillAnswersToTheRequestsId) {
    QString reason;
    QJsonValue id;
    EXPECT_FALSE(RemoteRequest::parse(R"({"type":"command","id":"b-12","control":"x"})", &reason,
                                      &id));
    EXPECT_EQ(id, QJsonValue("b-12"));
}

} // namespace
} // namespace tarvex
