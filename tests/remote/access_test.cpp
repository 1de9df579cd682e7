// Who gets in and for how long: sessions, the login slow-down, and who holds control.
#include "remote_fixture.h"

#include "remote/control_holder.h"
#include "remote/login_throttle.h"
#include "remote/session_store.h"

namespace tarvex {
namespace {

constexpr qint64 kMinute = 60 * 1000;

TEST(RemoteSessions, EndAfterThirtyIdleMinutesTwelveHoursOrALogout) {
    test::TestClock clock;
    SessionStore sessions(clock.fn());
    const QByteArray idle = sessions.create("ann", RemoteUsers::Role::Operate, "127.0.0.1");
    const QByteArray busy = sessions.create("bob", RemoteUsers::Role::View, "127.0.0.1");
    const QByteArray leaving = sessions.create("cy", RemoteUsers::Role::View, "127.0.0.1");
    EXPECT_EQ(idle.size(), 64); // 256 random bits
    EXPECT_NE(idle, busy);
    sessions.end(leaving);
    EXPECT_FALSE(sessions.find(leaving, false));

    clock.advance(29 * kMinute);
    ASSERT_TRUE(sessions.find(busy, true));
    EXPECT_TRUE(sessions.find(idle, false)); // looking is no use: it does not keep it alive
    clock.advance(kMinute);
    EXPECT_FALSE(sessions.find(idle, false));
    EXPECT_TRUE(sessions.find(busy, false));

    // Used every twenty minutes, it still ends twelve hours after the login.
    while (clock.now < 1'700'000'000'000 + 12 * 60 * kMinute - 20 * kMinute) {
        clock.advance(20 * kMinute);
        ASSERT_TRUE(sessions.find(busy, true));
    }
    clock.now = 1'700'000'000'000 + 12 * 60 * kMinute;
    EXPECT_FALSE(sessions.find(busy, true));
    EXPECT_EQ(sessions.count(), 0);
}

TEST(LoginThrottle, FiveFreeFailuresThenADelayDoublingFromOneSecondToAMinute) {
    const std::vector<std::pair<int, qint64>> schedule = {
        {4, 0}, {5, 1000}, {6, 2000}, {7, 4000}, {10, 32000}, {11, 60000}, {40, 60000}};
    for (const auto& [failures, delay] : schedule)
        EXPECT_EQ(LoginThrottle::delayAfter(failures), delay) << failures << " failures";

    // How the wait runs out and a success ends it is tested over a socket (panel_test).
    test::TestClock clock;
    LoginThrottle throttle(clock.fn());
    for (int i = 0; i < 6; ++i)
        throttle.failed("192.0.2.7");
    EXPECT_EQ(throttle.waitMs("192.0.2.7"), 2000);
    EXPECT_EQ(throttle.waitMs("192.0.2.8"), 0) << "another address is not slowed";
}

TEST(LoginThrottle, OneMachinesIpv6AddressesCountAsOne) {
    const QString a = LoginThrottle::addressKey(QHostAddress("2001:db8:1:2::1"));
    EXPECT_EQ(a, LoginThrottle::addressKey(QHostAddress("2001:db8:1:2:ffff::9")));
    EXPECT_NE(a, LoginThrottle::addressKey(QHostAddress("2001:db8:1:3::1")));
    EXPECT_EQ(LoginThrottle::addressKey(QHostAddress("::ffff:192.0.2.7")), "192.0.2.7");
    EXPECT_NE(LoginThrottle::addressKey(QHostAddress("192.0.2.7")),
              LoginThrottle::addressKey(QHostAddress("192.0.2.8")));
}

TEST(LoginThrottle, PasswordChecksFromEveryoneTogetherAreRationed) {
    test::TestClock clock;
    LoginThrottle throttle(clock.fn());
    int admitted = 0;
    for (int i = 0; i < 10; ++i)
        admitted += throttle.admitCheck();
    EXPECT_EQ(admitted, 3);
    clock.advance(1000);
    EXPECT_TRUE(throttle.admitCheck());
    EXPECT_FALSE(throttle.admitCheck());
}

TEST(ControlHolder, FirstOperatorTakesItOthersAreRefusedUntilTheyTakeItOrItLapses) {
    test::TestClock clock;
    ControlHolder control(clock.fn());
    int changes = 0;
    QObject::connect(&control, &ControlHolder::changed, [&] { ++changes; });
    QString why;
    ASSERT_TRUE(control.act("ann", &why));
    EXPECT_EQ(control.holder(), "ann");
    EXPECT_EQ(changes, 1);
    clock.advance(5 * kMinute);
    EXPECT_FALSE(control.act("bob", &why));
    EXPECT_EQ(why, QString("controlled by ann since %1").arg(clockText(clock.now - 5 * kMinute)));
    EXPECT_EQ(control.holder(), "ann");

    // Ann's command keeps it hers for ten more minutes.
    ASSERT_TRUE(control.act("ann", &why));
    clock.advance(10 * kMinute - 1);
    control.expire();
    EXPECT_EQ(control.holder(), "ann");
    clock.advance(1);
    control.expire();
    EXPECT_EQ(control.holder(), "");
    EXPECT_EQ(changes, 2);

    ASSERT_TRUE(control.act("bob", &why));
    EXPECT_EQ(control.take("ann"), "bob");
    EXPECT_EQ(control.holder(), "ann");
    EXPECT_EQ(control.since(), clock.now);
    EXPECT_EQ(control.take("ann"), "") << "taking it again takes it from nobody";
    control.release("bob");
    EXPECT_EQ(control.holder(), "ann") << "only the holder gives it up";
    control.release("ann");
    EXPECT_EQ(control.holder(), "");
}

TEST(ControlHolder, TheDesktopShowsForAMinuteAfterItsLastUse) {
    test::TestClock clock;
    ControlHolder control(clock.fn());
    int changes = 0;
    QObject::connect(&control, &ControlHolder::changed, [&] { ++changes; });
    control.noteLocalUse();
    clock.advance(30 * 1000);
    control.noteLocalUse();
    EXPECT_EQ(changes, 1);
    clock.advance(59 * 1000);
    control.expire();
    EXPECT_TRUE(control.localActive());
    clock.advance(1000);
    control.expire();
    EXPECT_FALSE(control.localActive());
    EXPECT_EQ(changes, 2);
}

} // namespace
} // namespace tarvex
