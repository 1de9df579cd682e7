// Working the panels from the keyboard: the up-down's keys, the focus mark of our own painted
// controls, and the Tab order of a panel.
#include "../support/printers.h"
#include "ui/panels/main_control.h"
#include "ui/panels/push_toggle.h"
#include "ui/panels/tune_control.h"
#include "ui/up_down.h"

#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <memory>

namespace tarvex {
namespace {

struct KeyCase {
    const char* name;
    int min, max, start;
    Qt::Key key;
    int expected;
};

class UpDownKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(UpDownKeys, StepWithinTheRange) {
    const KeyCase& c = GetParam();
    UpDown u;
    u.setMin(c.min);
    u.setMax(c.max);
    u.setValue(c.start);
    QTest::keyClick(&u, c.key);
    EXPECT_EQ(u.value(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    UpDown, UpDownKeys,
    ::testing::Values(KeyCase{"up_one", 0, 100, 37, Qt::Key_Up, 38},
                      KeyCase{"down_one", 0, 100, 37, Qt::Key_Down, 36},
                      KeyCase{"page_up_a_tenth", 0, 100, 37, Qt::Key_PageUp, 47},
                      KeyCase{"page_down_a_tenth", 0, 100, 37, Qt::Key_PageDown, 27},
                      KeyCase{"page_up_stops_at_max", 0, 100, 95, Qt::Key_PageUp, 100},
                      KeyCase{"page_down_stops_at_min", 0, 100, 4, Qt::Key_PageDown, 0},
                      KeyCase{"small_range_pages_by_one", 0, 5, 2, Qt::Key_PageUp, 3},
                      KeyCase{"downward_range_pages_toward_max", 100, 0, 50, Qt::Key_PageUp, 40},
                      KeyCase{"other_keys_change_nothing", 0, 100, 37, Qt::Key_Left, 37}),
    test::CaseName{});

TEST(UpDownKeys, AClickOnAnArrowGivesTheUpDownTheFocus) {
    QWidget window;
    auto* other = new QToolButton(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    auto* u = new UpDown(&window);
    u->setGeometry(40, 0, 16, 27);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QTest::mouseClick(u->findChild<QToolButton*>(QStringLiteral("arrowUp")), Qt::LeftButton);
    EXPECT_TRUE(u->hasFocus());
}

struct MarkCase {
    const char* name;
    std::function<QWidget*(QWidget*)> make;
};

class FocusMark : public ::testing::TestWithParam<MarkCase> {};

// What the screen shows of the control once the focus change has been painted.
QImage onScreen(QWidget* control) {
    QCoreApplication::processEvents();
    const QPoint at = control->mapTo(control->window(), QPoint());
    return control->screen()
        ->grabWindow(control->window()->winId(), at.x(), at.y(), control->width(),
                     control->height())
        .toImage();
}

TEST_P(FocusMark, AppearsWithTheFocusAndGoesWithIt) {
    QWidget window;
    auto* other = new QToolButton(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    QWidget* control = GetParam().make(&window);
    control->setGeometry(40, 0, 40, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    const QImage without = onScreen(control);
    control->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(control->hasFocus());
    EXPECT_NE(onScreen(control), without);
    other->setFocus();
    EXPECT_EQ(onScreen(control), without);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, FocusMark,
    ::testing::Values(MarkCase{"up_down", [](QWidget* p) { return new UpDown(p); }},
                      MarkCase{"option_button",
                               [](QWidget* p) { return new PushOptionButton("OPR", p); }},
                      MarkCase{"check_box", [](QWidget* p) { return new PushCheckBox("AUTO", p); }}),
    test::CaseName{});

struct TabCase {
    const char* name;
    std::function<PanelControl*()> make;
    QStringList order;
};

class TabOrder : public ::testing::TestWithParam<TabCase> {};

TEST_P(TabOrder, RunsRowByRowLeftToRight) {
    std::unique_ptr<PanelControl> panel(GetParam().make());
    // Whatever order the controls were made in, the panel orders them by place once built.
    QStringList reversed = GetParam().order;
    std::reverse(reversed.begin(), reversed.end());
    for (qsizetype i = 1; i < reversed.size(); ++i)
        QWidget::setTabOrder(panel->findChild<QWidget*>(reversed[i - 1]),
                             panel->findChild<QWidget*>(reversed[i]));
    panel->show();
    QStringList order;
    QWidget* w = panel.get();
    do {
        w = w->nextInFocusChain();
        if (panel->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus))
            order << w->objectName();
    } while (w != panel.get());
    EXPECT_EQ(order, GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(
    Panels, TabOrder,
    ::testing::Values(
        TabCase{"tune", [] { return new TuneControl; },
                {"U_tune", "U_load", "U_def", "U_ent", "U_band", "U_segment", "U_trim"}},
        TabCase{"main", [] { return new MainControl; },
                {"U_ac_1", "U_ac_0", "U_oper_1", "U_oper_0", "U_hv_1", "U_hv_0"}}),
    test::CaseName{});

} // namespace
} // namespace tarvex
