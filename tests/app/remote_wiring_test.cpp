#include "../support/printers.h"
#include "app/remote_wiring.h"
#include "core/user_settings.h"

#include <gtest/gtest.h>

#include <QCommandLineParser>
#include <QDir>

namespace tarvex {
namespace {

struct OptionCase {
    const char* name;
    QVariantMap settings; // under "Remote"
    QStringList args;
    // "off", an error's part, or "port bind cert key" of the panel asked for.
    const char* result;
};

class RemoteOptionsTest : public testing::TestWithParam<OptionCase> {
protected:
    void TearDown() override { userSettings().remove("Remote"); }
};

// The "Remote" settings, with the command line over them.
TEST_P(RemoteOptionsTest, CommandLineOverSettings) {
    const OptionCase& c = GetParam();
    QSettings settings = userSettings();
    for (auto it = c.settings.begin(); it != c.settings.end(); ++it)
        settings.setValue("Remote/" + it.key(), it.value());
    settings.sync();
    QCommandLineParser parser;
    RemoteWiring::addOptions(parser);
    ASSERT_TRUE(parser.parse(QStringList{"tarvex"} + c.args)) << parser.errorText().toStdString();

    std::optional<RemoteOptions> options;
    QString error;
    const bool ok = RemoteWiring::readOptions(parser, options, &error);
    QString got = error;
    if (ok && !options)
        got = "off";
    if (ok && options) {
        got = QStringList{QString::number(options->port), options->bind, options->certificateFile,
                          options->keyFile}
                  .join(' ');
        EXPECT_EQ(options->usersFile, QDir::current().absoluteFilePath("remote-users"));
    }
    EXPECT_TRUE(ok ? got == c.result : got.contains(c.result)) << got.toStdString();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Remote, RemoteOptionsTest, testing::Values(
    OptionCase{"from_the_settings", {{"Port", 8080}, {"Bind", "::1"}}, {}, "8080 ::1  "},
    OptionCase{"port_over_setting", {{"Port", 8080}, {"Bind", "::1"}}, {"--remote-port", "9090"}, "9090 ::1  "},
    OptionCase{"port_0_turns_it_off", {{"Port", 8080}}, {"--remote-port", "0"}, "off"},
    OptionCase{"localhost_is_a_bind", {}, {"--remote-port", "8080", "--remote-bind", "localhost"}, "8080 localhost  "},
    OptionCase{"port_not_a_number", {}, {"--remote-port", "65536"}, "--remote-port expects a TCP port number (0 for off), got \"65536\""},
    OptionCase{"bind_not_an_address", {}, {"--remote-port", "8080", "--remote-bind", "station"}, "--remote-bind expects an IP address"},
    OptionCase{"cert_without_key", {{"Port", 8080}, {"Cert", "c.pem"}}, {}, "both a certificate and its key"},
    OptionCase{"bind_without_port", {}, {"--remote-bind", "127.0.0.1"}, "--remote-bind needs --remote-port"}),
    test::CaseName{});
// clang-format on

} // namespace
} // namespace tarvex
