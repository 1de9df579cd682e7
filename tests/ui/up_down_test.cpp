#include "ui/up_down.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace tarvex {
namespace {

QToolButton* arrow(UpDown& u, const char* name) {
    return u.findChild<QToolButton*>(QLatin1String(name));
}

std::vector<int> emitted(const QSignalSpy& spy) {
    std::vector<int> v;
    for (const auto& args : spy)
        v.push_back(args.at(0).toInt());
    return v;
}

TEST(UpDown, ClampsAndNotifiesOnlyOnChange) {
    UpDown u;
    EXPECT_EQ(u.min(), 0);
    EXPECT_EQ(u.max(), 10);
    EXPECT_EQ(u.value(), 0);

    QSignalSpy spy(&u, &UpDown::valueChanged);
    u.setValue(7);
    u.setValue(7); // no change, no notification
    u.setValue(15);
    u.setValue(12); // clamps to the same 10
    u.setValue(-3);
    EXPECT_EQ(emitted(spy), (std::vector<int>{7, 10, 0}));
    EXPECT_EQ(u.value(), 0);
}

TEST(UpDown, ArrowsStepByOneWithinTheRange) {
    UpDown u;
    u.resize(16, 27);
    u.setMax(2);
    QSignalSpy spy(&u, &UpDown::valueChanged);

    QToolButton* up = arrow(u, "arrowUp");
    QToolButton* down = arrow(u, "arrowDown");
    ASSERT_TRUE(up && down);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(u.value(), 2) << "the third click stops at Max";
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(emitted(spy), (std::vector<int>{1, 2, 1}));

    u.setValue(0);
    spy.clear();
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 0) << "nothing below Min";

    // Held down, the arrow keeps stepping.
    u.setMax(1000);
    QTest::mousePress(up, Qt::LeftButton);
    QTest::qWait(up->autoRepeatDelay() + 4 * up->autoRepeatInterval());
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_GE(u.value(), 3);
}

TEST(UpDown, RangeChangesPullTheValueIn) {
    UpDown u;
    u.setMax(100);
    u.setValue(37);
    QSignalSpy spy(&u, &UpDown::valueChanged);

    u.setMin(10);
    u.setMax(20); // as a binder applies a new range: Min, then Max
    EXPECT_EQ(u.value(), 20);
    u.setMin(50); // Max below Min: the value stays between the two
    EXPECT_EQ(u.value(), 20);
    u.setMax(60);
    EXPECT_EQ(u.value(), 50);
    EXPECT_EQ(emitted(spy), (std::vector<int>{20, 50}));

    // Reversed range: up still heads for Max, down for Min, and neither leaves the range.
    u.setMin(5);
    u.setMax(3);
    EXPECT_EQ(u.value(), 5);
    u.stepDown();
    EXPECT_EQ(u.value(), 5);
    u.stepUp();
    u.stepUp();
    u.stepUp();
    EXPECT_EQ(u.value(), 3);

    // The ends of the integer range do not overflow.
    u.setMin(std::numeric_limits<int>::min());
    u.setMax(std::numeric_limits<int>::max());
    u.setValue(std::numeric_limits<int>::max());
    u.stepUp();
    EXPECT_EQ(u.value(), std::numeric_limits<int>::max());
    u.setValue(std::numeric_limits<int>::min());
    u.stepDown();
    EXPECT_EQ(u.value(), std::numeric_limits<int>::min());
}

TEST(UpDown, BuddyLabelShowsTheValue) {
    UpDown u;
    u.setValue(4);
    auto label = std::make_unique<QLabel>(QStringLiteral("00"));
    u.setBuddyLabel(label.get());
    EXPECT_EQ(label->text(), QStringLiteral("4")) << "shown at once";
    u.stepUp();
    EXPECT_EQ(label->text(), QStringLiteral("5"));
    u.setMin(-8);
    u.setValue(-8);
    EXPECT_EQ(label->text(), QStringLiteral("-8"));
    u.setMax(-9); // reversed range, value -8 is still inside it
    EXPECT_EQ(label->text(), QStringLiteral("-8"));
    u.setMin(-20);
    EXPECT_EQ(label->text(), QStringLiteral("-9")) << "a clamp shows too";

    // The label may go first; the up-down forgets it.
    label.reset();
    EXPECT_EQ(u.buddyLabel(), nullptr);
    u.setValue(-15);
    EXPECT_EQ(u.value(), -15);
}

TEST(UpDown, ArrowsFollowTheShape) {
    UpDown u;
    u.resize(16, 27);
    u.show();
    QToolButton* up = arrow(u, "arrowUp");
    QToolButton* down = arrow(u, "arrowDown");
    EXPECT_LT(up->geometry().bottom(), down->geometry().top()) << "tall: up above down";
    EXPECT_EQ(up->height() + down->height(), 27);

    u.resize(40, 16);
    EXPECT_LT(down->geometry().right(), up->geometry().left()) << "wide: up on the right";
    EXPECT_EQ(up->arrowType(), Qt::RightArrow);
    EXPECT_EQ(up->width() + down->width(), 40);
}

} // namespace
} // namespace tarvex
