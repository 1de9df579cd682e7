// QtSerialLink against the amplifier's end of a pseudo-terminal, played by the test.
#include "../support/printers.h"
#include "../support/wait_until.h"
#include "driver/port_names.h"
#include "driver/qt_serial_link.h"
#include "sim/pty_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSerialPort>

#include <termios.h>

namespace tarvex {
namespace {

using test::waitUntil;

class QtSerialLinkPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(amp.open({})) << amp.errorString().toStdString();
        names.setOverride(1, amp.slavePath());
        QObject::connect(&amp, &sim::PtyPort::received,
                         [this](const QByteArray& b) { atAmp += b; });
        QObject::connect(&link, &SerialLink::OnComm, [this] {
            events << link.commEvent();
            if (link.commEvent() == SerialLink::kEventReceive)
                received += link.input();
        });
        QObject::connect(&link, &SerialLink::linkLost, [this](const QString& r) { lost << r; });
        link.setCommPort(1);
    }

    sim::PtyPort amp;
    PortNames names;
    QtSerialLink link{names};
    QByteArray atAmp;
    QString received;
    QList<int> events;
    QStringList lost;
};

TEST_F(QtSerialLinkPty, ALostDeviceClosesTheLinkOnceSaysSoAndStopsTheErrorFlood) {
    link.setPortOpen(true);
    link.setRThreshold(1);
    auto* port = link.findChild<QSerialPort*>();
    ASSERT_NE(port, nullptr);
    int errors = 0;
    // The port reports again as it closes after this body: the count goes with this object.
    QObject counting;
    QObject::connect(port, &QSerialPort::errorOccurred, &counting,
                     [&](QSerialPort::SerialPortError e) { errors += e != QSerialPort::NoError; });
    const QString device = amp.slavePath();
    amp.close();
    ASSERT_TRUE(waitUntil([&] { return !lost.isEmpty(); }));
    EXPECT_EQ(lost.front(), device + ": device removed");
    EXPECT_FALSE(link.portOpen());
    EXPECT_THROW(link.setOutput("AC\r"), SerialError);
    waitUntil([] { return false; }, 200);
    // Left alone, QSerialPort reports tens of thousands of errors in this time.
    EXPECT_LE(errors, 5);
    EXPECT_EQ(lost.size(), 1);
    EXPECT_EQ(events, QList<int>{SerialLink::kEventResource});
}

// A pseudo-terminal keeps only some line settings (it forces 8 data bits and clears the parity
// enable), so speed, stop bits and the odd-parity flag are what can be seen on it.
TEST_F(QtSerialLinkPty, SettingsReachTheDeviceAndWhatIsRefusedChangesNothing) {
    EXPECT_THROW(link.setOutput("AC\r"), SerialError); // not open
    EXPECT_THROW(link.setCommPort(0), SerialError);
    link.setSettings(" 9600 , O , 7 , 2 ");
    link.setPortOpen(true);
    EXPECT_THROW(link.setCommPort(2), SerialError); // open
    EXPECT_EQ(link.commPort(), 1);
    auto* port = link.findChild<QSerialPort*>();
    ASSERT_NE(port, nullptr);
    const auto lineSettings = [&] {
        termios tio{};
        EXPECT_EQ(::tcgetattr(port->handle(), &tio), 0);
        return std::tuple(::cfgetospeed(&tio), (tio.c_cflag & PARODD) != 0,
                          (tio.c_cflag & CSTOPB) != 0);
    };
    EXPECT_EQ(lineSettings(), std::tuple(speed_t(B9600), true, true));
    // Applied to the open port; 1.5 stop bits become 2, never 1.
    link.setSettings("19200,e,8,1.5");
    EXPECT_EQ(lineSettings(), std::tuple(speed_t(B19200), false, true));
    EXPECT_THROW(link.setSettings("0,n,8,2"), SerialError);
    EXPECT_EQ(lineSettings(), std::tuple(speed_t(B19200), false, true));
    EXPECT_EQ(link.settings(), "19200,e,8,1.5");
}

// Every byte is carried both ways as Latin-1, and what waited while receive events were off is
// announced once they are wanted, without new data arriving.
TEST_F(QtSerialLinkPty, CarriesEveryByteAndAnnouncesWhatWaited) {
    link.setPortOpen(true);
    const QByteArray fromAmp("STATE = OPERATE\r\n\r\xB0\xFF\x01 \n", 23);
    amp.write(fromAmp);
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(events.isEmpty());
    link.setRThreshold(1);
    ASSERT_TRUE(waitUntil([&] { return received.size() >= fromAmp.size(); }));
    EXPECT_EQ(received, QString::fromLatin1(fromAmp));

    link.setOutput(QStringLiteral("OPER OFF\r") + QChar(0xB0) + QChar(0xFF) + u'\n');
    ASSERT_TRUE(waitUntil([&] { return atAmp.size() >= 12; }));
    EXPECT_EQ(atAmp, QByteArray("OPER OFF\r\xB0\xFF\n"));
}

TEST_F(QtSerialLinkPty, APortAlreadyOpenElsewhereIsReportedAsInUse) {
    link.setPortOpen(true);
    QtSerialLink second{names};
    second.setCommPort(1);
    const auto message = amp.slavePath() + ": already in use by another amplifier of this program";
    EXPECT_THAT([&] { second.setPortOpen(true); },
                ::testing::ThrowsMessage<SerialError>(message.toStdString()));
}

} // namespace
} // namespace tarvex
