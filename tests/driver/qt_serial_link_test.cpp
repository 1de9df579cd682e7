#include "../support/wait_until.h"
#include "driver/memory_serial_link.h"
#include "driver/port_names.h"
#include "driver/qt_serial_link.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSerialPort>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <tuple>

namespace tarvex {
namespace {

using test::waitUntil;

void runEventsFor(int ms) {
    waitUntil([] { return false; }, ms);
}

// A pseudo-terminal: the link opens the slave, the test plays the device on the master.
class Pty {
public:
    Pty() {
        mMaster = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (mMaster < 0 || ::grantpt(mMaster) != 0 || ::unlockpt(mMaster) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        ::fcntl(mMaster, F_SETFL, ::fcntl(mMaster, F_GETFL) | O_NONBLOCK);
        mSlave = QString::fromLocal8Bit(::ptsname(mMaster));
    }
    ~Pty() { closeMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const QString& slavePath() const { return mSlave; }
    void write(const QByteArray& bytes) {
        ASSERT_EQ(::write(mMaster, bytes.constData(), bytes.size()), bytes.size());
    }
    // What the link wrote, once count bytes have arrived (or the time is up).
    QByteArray read(qsizetype count) {
        QByteArray got;
        waitUntil([&] {
            char buf[256];
            const ssize_t n = ::read(mMaster, buf, sizeof buf);
            if (n > 0) {
                got.append(buf, n);
            }
            return got.size() >= count;
        });
        return got;
    }
    void closeMaster() {
        if (mMaster >= 0) {
            ::close(mMaster);
            mMaster = -1;
        }
    }

private:
    int mMaster = -1;
    QString mSlave;
};

// Each link with the far end the test plays, so that one set of tests holds both to the same
// behaviour.
struct QtSide {
    Pty pty;
    PortNames names{{{1, pty.slavePath()}}};
    QtSerialLink link{names};

    void sendFromFarEnd(const QByteArray& bytes) { pty.write(bytes); }
    QByteArray readAtFarEnd(qsizetype count) { return pty.read(count); }
    void vanish() { pty.closeMaster(); }
};

struct MemorySide {
    MemorySerialLink link;

    void sendFromFarEnd(const QByteArray& bytes) { link.receive(QString::fromLatin1(bytes)); }
    QByteArray readAtFarEnd(qsizetype) {
        const QByteArray bytes = link.written().toLatin1();
        link.clearWritten();
        return bytes;
    }
    void vanish() { link.vanish(QStringLiteral("gone")); }
};

// What a driver sees of a link.
struct Listener {
    QString received;
    QList<int> events;
    QStringList lost;

    explicit Listener(SerialLink& link) {
        QObject::connect(&link, &SerialLink::OnComm, [this, &link] {
            events << link.commEvent();
            if (link.commEvent() == SerialLink::kEventReceive) {
                received += link.input();
            }
        });
        QObject::connect(&link, &SerialLink::linkLost, [this](const QString& r) { lost << r; });
    }
};

template <typename Side> class SerialLinkContract : public ::testing::Test {
protected:
    void open() {
        side.link.setCommPort(1);
        side.link.setSettings("4800,n,8,1");
        side.link.setInputMode(0);
        side.link.setPortOpen(true);
        side.link.setRThreshold(1);
    }
    Side side;
};

using Sides = ::testing::Types<QtSide, MemorySide>;
TYPED_TEST_SUITE(SerialLinkContract, Sides);

TYPED_TEST(SerialLinkContract, RefusesWhatItCannotDoAndKeepsItsState) {
    SerialLink& link = this->side.link;
    link.setCommPort(1);
    link.setSettings("9600,e,7,1");
    EXPECT_THROW(link.setCommPort(0), SerialError);
    EXPECT_THROW(link.setCommPort(-3), SerialError);
    EXPECT_EQ(link.commPort(), 1);
    EXPECT_THROW(link.setSettings("9600,e,7"), SerialError);
    EXPECT_THROW(link.setSettings("fast"), SerialError);
    EXPECT_EQ(link.settings(), "9600,e,7,1");
    EXPECT_THROW(link.setInputMode(5), SerialError);
    EXPECT_THROW(link.setOutput("AC\r"), SerialError);
    EXPECT_FALSE(link.portOpen());

    this->open();
    EXPECT_TRUE(link.portOpen());
    EXPECT_THROW(link.setCommPort(2), SerialError);
    EXPECT_EQ(link.commPort(), 1);
    EXPECT_THROW(link.setSettings("4800,n,8,1,1"), SerialError);
    link.setSettings("19200,n,8,1");
    EXPECT_EQ(link.settings(), "19200,n,8,1");

    link.setPortOpen(false);
    link.setPortOpen(false); // closing twice is harmless
    EXPECT_FALSE(link.portOpen());
    EXPECT_THROW(link.setOutput("AC\r"), SerialError);
}

TYPED_TEST(SerialLinkContract, CarriesEveryByteBothWaysAsLatin1) {
    this->open();
    Listener seen(this->side.link);
    const QByteArray fromAmp("STATE = OPERATE\r\n\r\xB0\xFF\x01 \n", 23);
    this->side.sendFromFarEnd(fromAmp);
    ASSERT_TRUE(waitUntil([&] { return seen.received.size() >= fromAmp.size(); }));
    EXPECT_EQ(seen.received, QString::fromLatin1(fromAmp));
    EXPECT_EQ(seen.events.count(SerialLink::kEventReceive), seen.events.size());
    EXPECT_EQ(this->side.link.input(), QString()); // everything was taken

    const QString command = QStringLiteral("OPER OFF\r") + QChar(0xB0) + QChar(0xFF) + u'\n';
    this->side.link.setOutput(command);
    this->side.link.setOutput(QStringLiteral("BAND 3\r"));
    EXPECT_EQ(this->side.readAtFarEnd(19), QByteArray("OPER OFF\r\xB0\xFF\nBAND 3\r"));
    EXPECT_TRUE(seen.lost.isEmpty());
}

TYPED_TEST(SerialLinkContract, ALostDeviceClosesTheLinkOnceAndSaysSo) {
    this->open();
    Listener seen(this->side.link);
    this->side.vanish();
    ASSERT_TRUE(waitUntil([&] { return !seen.lost.isEmpty(); }));
    EXPECT_FALSE(this->side.link.portOpen());
    EXPECT_EQ(this->side.link.commEvent(), SerialLink::kEventResource);
    EXPECT_TRUE(seen.events.contains(SerialLink::kEventResource));
    EXPECT_THROW(this->side.link.setOutput("AC\r"), SerialError);

    runEventsFor(200);
    EXPECT_EQ(seen.lost.size(), 1);
    EXPECT_EQ(seen.events.count(SerialLink::kEventResource), 1);
    EXPECT_LE(seen.events.size(), 2);

    // The port can be opened again (the memory link has no device to lose for good).
    this->side.link.setPortOpen(false);
    EXPECT_FALSE(this->side.link.portOpen());
}

using QtSerialLinkPty = SerialLinkContract<QtSide>;

TEST_F(QtSerialLinkPty, DeviceLossStopsTheErrorFlood) {
    open();
    auto* port = side.link.findChild<QSerialPort*>();
    ASSERT_NE(port, nullptr);
    int errors = 0;
    // The port outlives this body and reports again as it closes: the count goes with it.
    QObject counting;
    QObject::connect(port, &QSerialPort::errorOccurred, &counting,
                     [&](QSerialPort::SerialPortError e) { errors += e != QSerialPort::NoError; });
    Listener seen(side.link);

    side.vanish();
    ASSERT_TRUE(waitUntil([&] { return !seen.lost.isEmpty(); }));
    EXPECT_EQ(seen.lost.front(), side.pty.slavePath() + ": device removed");
    runEventsFor(200);
    // Left alone, QSerialPort reports tens of thousands of errors in this time.
    EXPECT_FALSE(port->isOpen());
    EXPECT_LE(errors, 5);
    EXPECT_EQ(seen.lost.size(), 1);
}

TEST_F(QtSerialLinkPty, WriteToAVanishedDeviceFailsAtOnceAndIsReportedOnce) {
    open();
    Listener seen(side.link);
    side.vanish();
    try {
        side.link.setOutput("OPER ON\r"); // before the event loop has noticed anything
        FAIL() << "wrote to a device that is gone";
    } catch (const SerialError& e) {
        EXPECT_TRUE(e.reason().startsWith(side.pty.slavePath() + ": ")) << e.reason().toStdString();
    }
    EXPECT_FALSE(side.link.portOpen());
    runEventsFor(100);
    EXPECT_EQ(seen.lost.size(), 1);
    EXPECT_EQ(seen.events, QList<int>{SerialLink::kEventResource});
}

// A pseudo-terminal keeps only some line settings (it forces 8 data bits and clears the parity
// enable), so speed, stop bits and the odd-parity flag are what can be seen on it.
TEST_F(QtSerialLinkPty, SettingsReachTheDeviceAndBadOnesChangeNothing) {
    side.link.setCommPort(1);
    side.link.setSettings(" 9600 , O , 7 , 2 ");
    side.link.setPortOpen(true);
    auto* port = side.link.findChild<QSerialPort*>();
    ASSERT_NE(port, nullptr);
    const auto lineSettings = [&] {
        termios tio{};
        EXPECT_EQ(::tcgetattr(port->handle(), &tio), 0);
        return std::tuple(::cfgetospeed(&tio), (tio.c_cflag & PARODD) != 0,
                          (tio.c_cflag & CSTOPB) != 0);
    };
    EXPECT_EQ(lineSettings(), std::tuple(speed_t(B9600), true, true));

    // Applied to the open port; 1.5 stop bits become 2, never 1.
    side.link.setSettings("19200,e,8,1.5");
    EXPECT_EQ(lineSettings(), std::tuple(speed_t(B19200), false, true));
    side.link.setSettings("38400,o,8,1");
    EXPECT_EQ(lineSettings(), std::tuple(speed_t(B38400), true, false));

    EXPECT_THROW(side.link.setSettings("0,n,8,2"), SerialError);
    EXPECT_EQ(lineSettings(), std::tuple(speed_t(B38400), true, false));
    EXPECT_EQ(side.link.settings(), "38400,o,8,1");
    EXPECT_TRUE(side.link.portOpen());
}

TEST_F(QtSerialLinkPty, ReceiveEventsWaitForTheThreshold) {
    side.link.setCommPort(1);
    side.link.setPortOpen(true); // threshold still 0: no receive events
    Listener seen(side.link);
    side.sendFromFarEnd("AC ON\r\n");
    runEventsFor(100);
    EXPECT_TRUE(seen.events.isEmpty());

    // What waits is announced once events are wanted, without new data arriving.
    side.link.setRThreshold(1);
    ASSERT_TRUE(waitUntil([&] { return !seen.events.isEmpty(); }));
    EXPECT_EQ(seen.received, "AC ON\r\n");
}

} // namespace
} // namespace tarvex
