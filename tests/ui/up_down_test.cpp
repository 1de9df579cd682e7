#include "ui/up_down.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace tarvex {
namespace {

std::vector<int> emitted(const QSignalSpy& spy) {
    std::vector<int> v;
    for (const auto& args : spy)
        v.push_back(args.at(0).toInt());
    return v;
}

TEST(UpDown, ClampsAndNotifiesOnlyOnChange) {
    UpDown u;
    QSignalSpy spy(&u, &UpDown::valueChanged);
    u.setValue(7);
    u.setValue(7); // no change, no notification
    u.setValue(15);
    u.setValue(12); // clamps to the same 10
    u.setValue(-3);
    EXPECT_EQ(emitted(spy), (std::vector<int>{7, 10, 0}));
}

TEST(UpDown, ArrowsStepByOneWithinTheRange) {
    UpDown u;
    u.resize(16, 27);
    u.setMax(2);
    QSignalSpy spy(&u, &UpDown::valueChanged);
    QToolButton* up = u.findChild<QToolButton*>("arrowUp");
    QToolButton* down = u.findChild<QToolButton*>("arrowDown");
    ASSERT_TRUE(up && down);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(up, Qt::LeftButton);
    QTest::mouseClick(down, Qt::LeftButton);
    QTest::mouseClick(down, Qt::LeftButton);
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(emitted(spy), (std::vector<int>{1, 2, 1, 0})) << "stops at Max and at Min";
}

TEST(UpDown, RangeChangesPullTheValueInWithoutOverflow) {
    UpDown u;
    u.setMax(100);
    u.setValue(37);
    QSignalSpy spy(&u, &UpDown::valueChanged);
    u.setMin(10);
    u.setMax(20); // as a binder applies a new range: Min, then Max
    EXPECT_EQ(u.value(), 20);
    u.setMin(50); // Max below Min: the value stays between the two
    u.setMax(60);
    EXPECT_EQ(emitted(spy), (std::vector<int>{20, 50}));

    // Reversed range: up still heads for Max, down for Min, and neither leaves the range.
    u.setMin(5);
    u.setMax(3);
    u.stepDown();
    EXPECT_EQ(u.value(), 5);
    for (int i = 0; i < 3; ++i)
        u.stepUp();
    EXPECT_EQ(u.value(), 3);

    u.setMin(std::numeric_limits<int>::min());
    u.setMax(std::numeric_limits<int>::max());
    u.setValue(std::numeric_limits<int>::max());
    u.stepUp();
    EXPECT_EQ(u.value(), std::numeric_limits<int>::max());
}

TEST(UpDown, BuddyLabelShowsTheValueAndMayGoFirst) {
    UpDown u;
    u.setValue(4);
    auto label = std::make_unique<QLabel>(QStringLiteral("00"));
    u.setBuddyLabel(label.get());
    EXPECT_EQ(label->text(), QStringLiteral("4")) << "shown at once";
    u.setMax(2);
    EXPECT_EQ(label->text(), QStringLiteral("2")) << "a clamp shows too";
    label.reset();
    EXPECT_EQ(u.buddyLabel(), nullptr);
    u.setValue(1);
    EXPECT_EQ(u.value(), 1);
}

} // namespace
} // namespace tarvex
