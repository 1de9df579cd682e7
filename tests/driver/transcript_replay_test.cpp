// Recorded amplifier sessions replayed through a pseudo-terminal into the driver on a real
// QSerialPort, and a write that fails on that port.
#include "../support/wait_until.h"
#include "transcript.h"

#include "driver/ferro_driver.h"
#include "driver/port_names.h"
#include "driver/qt_serial_link.h"
#include "sim/pty_port.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <functional>

namespace tarvex {
namespace {

using test::waitUntil;

// The real link, counting what the driver takes from it so that a replay knows when the
// driver has seen everything sent.
class CountingLink : public QtSerialLink {
public:
    CountingLink(const PortNames& names, qint64& taken) : QtSerialLink(names), mTaken(taken) {}
    QString input() override {
        QString text = QtSerialLink::input();
        mTaken += text.size();
        return text;
    }

private:
    qint64& mTaken;
};

class AmplifierOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(amp.open({})) << amp.errorString().toStdString();
        QObject::connect(&amp, &sim::PtyPort::received,
                         [this](const QByteArray& bytes) { fromDriver += bytes; });
        names.setOverride(3, amp.slavePath());
        DriverEnvironment env;
        env.makeLink = [this] { return std::make_unique<CountingLink>(names, taken); };
        driver = std::make_unique<FerroDriver>(env);
        driver->setAmpPort(3);
        driver->setAmpSettings("57600,n,8,1");
        driver->Initialize(hub, 0);
        ASSERT_TRUE(driver->link()->portOpen());
        // The amplifier answers once the start-up list has arrived.
        ASSERT_TRUE(waitUntil([&] { return fromDriver.endsWith("AUTOTUNE\r"); }))
            << fromDriver.toStdString();
        fromDriver.clear();
    }
    void TearDown() override { driver->Terminate(); }

    QString text(const QString& item) const {
        const ItemPtr it = hub->GetItem(QStringLiteral("0") + item);
        return it ? it->Value().toString() : QStringLiteral("(no item %1)").arg(item);
    }
    transcript::Probe probe() {
        return {[this] { return taken; }, [this](const QString& item) { return text(item); }};
    }

    HubPtr hub = Hub::create();
    PortNames names;
    sim::PtyPort amp;
    QByteArray fromDriver;
    qint64 taken = 0;
    std::unique_ptr<FerroDriver> driver;
};

TEST_F(AmplifierOnPty, RecordedSessionYieldsTheRecordedValues) {
    QString error;
    const auto session = transcript::load(
        QStringLiteral(TARVEX_TEST_DATA_DIR "/startup_fault_band_change.transcript"), &error);
    ASSERT_TRUE(session) << error.toStdString();
    ASSERT_GT(session->size(), 50u);

    const QStringList failures = transcript::replay(*session, amp, probe());
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    // Reports never become commands; only the power-on notice is answered (operate is
    // already off, so only the mains command goes out).
    EXPECT_EQ(fromDriver.toStdString(), "AC ON\r");
}

TEST_F(AmplifierOnPty, ReplayReportsAValueThatDiffersFromTheRecording) {
    const auto session = transcript::parse("+5 BAND = 4\\r\\nTUNE = 3\n"
                                           "+5 0\\r\\n\n"
                                           "= band 4\n"
                                           "= tune 31\n"
                                           "= message\n",
                                           nullptr);
    ASSERT_TRUE(session);
    EXPECT_EQ(transcript::replay(*session, amp, probe()),
              QStringList{"line 4: tune reads \"30\", recorded \"31\""});
}

TEST(Transcript, ReadsEscapesSplitsAndChecksAndNamesTheBadLine) {
    const auto ok = transcript::parse("# comment\n"
                                      "\n"
                                      "+12 STATE = ST\r\n"
                                      "+0 ANDBY\\r\\n\\x00\\\\\\t\n"
                                      "= message  12: High input refl power\n"
                                      "= message\n",
                                      nullptr);
    ASSERT_TRUE(ok);
    ASSERT_EQ(ok->size(), 4u);
    EXPECT_EQ((*ok)[0].delayMs, 12);
    EXPECT_EQ((*ok)[0].bytes, "STATE = ST");
    EXPECT_EQ((*ok)[1].bytes, QByteArray("ANDBY\r\n\0\\\t", 10));
    EXPECT_EQ((*ok)[2].kind, transcript::Entry::Kind::Check);
    EXPECT_EQ((*ok)[2].item, "message");
    EXPECT_EQ((*ok)[2].value, " 12: High input refl power");
    EXPECT_EQ((*ok)[3].value, "");

    for (const auto& [text, why] : std::vector<std::pair<QByteArray, QString>>{
             {"+5\n", "line 1: a send entry needs \"+<ms> <text>\""},
             {"+x BAND\n", "line 1: the delay is not a number of milliseconds"},
             {"+-1 BAND\n", "line 1: the delay is not a number of milliseconds"},
             {"# ok\n+1 \\q\n", "line 2: unknown or incomplete escape"},
             {"+1 \\x4\n", "line 1: unknown or incomplete escape"},
             {"+1 A\\\n", "line 1: unknown or incomplete escape"},
             {"+1 \n", "line 1: a send entry sends nothing"},
             {"= \n", "line 1: a check needs \"= <item> <value>\""},
             {"BAND = 3\n", "line 1: neither \"+<ms> <text>\" nor \"= <item> <value>\""}}) {
        QString error;
        EXPECT_FALSE(transcript::parse(text, &error)) << text.toStdString();
        EXPECT_EQ(error, why) << text.toStdString();
    }
}

TEST_F(AmplifierOnPty, WriteThatFailsOnTheRealPortIsSurvivedAndExplained) {
    const QString device = amp.slavePath();
    amp.close(); // the adapter is pulled; nothing has noticed yet
    hub->GetItem("0ac")->setValue(true);
    EXPECT_FALSE(driver->link()->portOpen()); // the failed write closed the link at once
    EXPECT_EQ(text("ac"), "True");            // the click itself is kept

    ASSERT_TRUE(waitUntil([&] { return !text("message").isEmpty(); }));
    EXPECT_TRUE(text("message").startsWith(device + ": ")) << text("message").toStdString();
    const QString explained = text("message");
    hub->GetItem("0oper")->setValue(true); // later clicks are harmless and change nothing shown
    QCoreApplication::processEvents();
    EXPECT_EQ(text("message"), explained);
}

} // namespace
} // namespace tarvex
