// The diagnostic views: the event trail's lines, filter and bounded size, the inspector's rows
// and value box, and the life of both as modules.
#include "test_support.h"

#include "ui/history/frm_history.h"
#include "ui/views/event_trail_view.h"
#include "ui/views/frm_event_trail.h"
#include "ui/views/frm_property_list.h"
#include "ui/views/property_list_view.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>

#include <functional>

namespace tarvex::test {
namespace {

ItemPtr infoItem(const HubPtr& hub, const QString& name, int metrics, int low = 0, int high = 1,
                 int security = 0) {
    ItemPtr it = hub->AttachItem(name);
    it->setInfo(std::make_shared<ItemInfo>(ItemInfo{low, high, metrics, security, {}}));
    return it;
}

TEST(EventTrail, ListsEveryItemOrOnlyTheSelectedOnesValuesAndDropsTheOldestOnceFull) {
    HubPtr hub = Hub::create();
    EventTrailView view;
    view.Initialize(hub, 0);
    QComboBox* list = view.window()->cboEventTrail();
    ItemPtr band = infoItem(hub, "0band", ItemInfo::kLong);
    ItemPtr message = infoItem(hub, "0message", ItemInfo::kStr);
    band->setValue(5);
    message->setValue("say \"hi\"");
    infoItem(hub, "0loose", 3)->setValue(Variant::null()); // stored unconverted
    EXPECT_EQ(view.window()->font().family(), QApplication::font().family()) << "as elsewhere";
    EXPECT_EQ(view.trailText(), "<<Event Trail Started>>\n\nNew 0band\nNew 0message\n0band=5"
                                "\n0message=\"say \"hi\"\"\nNew 0loose\n0loose=<Null>");

    // Picking an entry writes nothing; from then on only that item's value, without its name.
    const QString before = view.trailText();
    list->setCurrentIndex(1);
    band->setValue(7);
    message->setValue("Standby");
    hub->AttachItem("0oper"); // listed, but no "New" line while another item is selected
    EXPECT_EQ(view.trailText(), before + "\n7");
    list->addItem("1band"); // selecting a name before its item exists shows its "New" line
    list->setCurrentIndex(list->count() - 1);
    hub->AttachItem("1band");
    EXPECT_TRUE(view.trailText().endsWith("\nNew 1band"));

    // At exactly the cap the oldest characters go before the next line is added.
    list->setCurrentIndex(0);
    message->setValue(QString(EventTrailView::kTrimAt - view.trailText().size() - 12, u'x'));
    const QString full = view.trailText();
    ASSERT_EQ(full.size(), EventTrailView::kTrimAt);
    message->setValue("y");
    EXPECT_EQ(view.trailText(), full.mid(EventTrailView::kTrimChars) + "\n0message=\"y\"");
}

TEST(InspectorWindow, TheValueBoxIsLabelledAndNoTitleIsCutInTheFontInUse) {
    frmInspectorWindow w;
    w.show(); // a hidden window hears of no resize
    QFont font = w.font();
    font.setPointSizeF(font.pointSizeF() * 2);
    w.setFont(font);
    const QLabel* label = w.lblValue(); // whole, left of the box
    EXPECT_EQ(label->buddy(), w.cboValue());
    EXPECT_TRUE(label->x() >= 0 && label->x() + label->sizeHint().width() <= w.cboValue()->x());
    QTreeWidget* list = w.lvwInspector();
    const int margins = 2 * list->header()->style()->pixelMetric(QStyle::PM_HeaderMargin);
    for (int c = 0; c < frmInspectorWindow::kColumnCount; ++c) {
        const QString title = list->headerItem()->text(c);
        EXPECT_GE(list->header()->sectionSize(c),
                  list->header()->fontMetrics().horizontalAdvance(title) + margins)
            << qPrintable(title);
    }
    w.resize(700, 500); // the box and the list still follow the window
    EXPECT_GE(w.cboValue()->geometry().right(), 699);
    EXPECT_TRUE(list->geometry().right() >= 699 && list->geometry().bottom() >= 499);
}

// The windows a user may move come back where they were closed or taken away (both hide them).
TEST(WindowPlacement, EachWindowOpensAgainWhereItWasHidden) {
    const std::function<QWidget*()> windows[] = {
        [] { return new frmEventTrail; }, [] { return new frmInspectorWindow; },
        [] { return new frmHistory(QStringLiteral("history.db"), systemHistoryClock()); }};
    for (const auto& make : windows) {
        std::unique_ptr<QWidget> w(make());
        w->show();
        w->setGeometry(120, 90, 470, 330);
        const QRect left = w->geometry(); // no smaller than its contents allow
        w->hide();
        w.reset(make());
        w->show();
        EXPECT_EQ(w->geometry(), left) << w->objectName().toStdString();
    }
}

class Inspector : public ::testing::Test {
protected:
    void SetUp() override {
        band->setValue(3);
        message->setValue("Amp on");
        view.Initialize(hub, 0);
        view.window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.window()));
    }

    QTreeWidget* list() const { return view.window()->lvwInspector(); }
    QComboBox* box() const { return view.window()->cboValue(); }
    QStringList row(const QString& name) const {
        QStringList texts;
        for (int c = 0; c < frmInspectorWindow::kColumnCount; ++c)
            texts << view.row(name)->text(c);
        return texts;
    }
    // The user selects the item's row, types into the value box and presses Enter.
    void type(const QString& name, const QString& text) {
        list()->setCurrentItem(view.row(name));
        box()->setFocus();
        box()->setEditText(text);
        QTest::keyClick(box(), Qt::Key_Return);
    }

    HubPtr hub = Hub::create();
    ItemPtr band = infoItem(hub, "0band", 0x21, -5, 10, -1);
    ItemPtr oper = hub->AttachItem("0oper"); // no Info
    ItemPtr message = infoItem(hub, "0message", ItemInfo::kStr);
    InspectorView view;
};

TEST_F(Inspector, RowsFollowTheItemsAndTypedValuesAreStoredByTheirRules) {
    EXPECT_EQ(row("0band"), (QStringList{"0band", "Long", "3", "<Empty>", "-5", "10", "21",
                                         "FFFFFFFF"}));
    EXPECT_EQ(row("0oper"), (QStringList{"0oper", "Unknown", "<Empty>", "<Null>", "", "", "", ""}));
    band->setValue(7);
    EXPECT_EQ(row("0band").mid(2, 2), (QStringList{"7", "3"}));
    ItemPtr fwd = infoItem(hub, "1fwd", ItemInfo::kInt);
    fwd->setValue(850);
    EXPECT_EQ(list()->topLevelItem(3), view.row("1fwd")) << "a new item is the last row";
    EXPECT_EQ(row("1fwd"), (QStringList{"1fwd", "Int", "850", "<Empty>", "0", "1", "0", "0"}));

    // Typed values are stored by the item's own rules; the box then shows what it holds.
    type("0band", " 3.5 ");
    EXPECT_EQ(shown(band->Value()), "Long(4)");
    type("0message", "Standby now");
    EXPECT_EQ(shown(message->Value()), "String(Standby now)");
    EXPECT_EQ(box()->currentText(), "\"Standby now\"");
    for (const char* refused : {"-2147483649", "word"}) {
        type("0band", refused);
        EXPECT_EQ(shown(band->Value()), "Long(4)") << refused;
        EXPECT_EQ(box()->currentText(), "4") << refused;
    }

    // Leaving the box unedited writes nothing back: no quotes added, and a value the amplifier
    // changed meanwhile is not overwritten with the stale text.
    list()->setCurrentItem(view.row("0message"));
    box()->setFocus();
    message->setValue("Operate");
    list()->setFocus();
    EXPECT_EQ(shown(message->Value()), "String(Operate)");
}

TEST_F(Inspector, AnEditEndsWhenTheFocusLeavesForAnotherWindowAndWhenTheWindowCloses) {
    list()->setCurrentItem(view.row("0band"));
    box()->setFocus();
    box()->setEditText("8");
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(shown(band->Value()), "Long(8)");

    view.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.window()));
    ASSERT_TRUE(box()->hasFocus()) << "the window gives the focus back to the box";
    box()->setEditText("9");
    view.window()->close();
    EXPECT_EQ(shown(band->Value()), "Long(9)");
}

// Terminate, or closing the window, stops listening; a view never keeps its hub alive.
template <typename View> void terminateOrClose() {
    HubPtr hub = Hub::create();
    View view;
    view.Terminate(); // before Initialize: harmless
    view.Initialize(hub, 0);
    view.Terminate();
    EXPECT_EQ(view.window(), nullptr);
    infoItem(hub, "0band", ItemInfo::kLong)->setValue(4); // reaches nobody, breaks nothing
    view.Initialize(hub, 0);
    ASSERT_TRUE(view.window()->close());
    EXPECT_EQ(view.window(), nullptr) << "closing the window terminates the view";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(hub.use_count(), 1);
}

TEST(DiagnosticViews, TerminateOrCloseStopsListeningAndKeepNoHub) {
    terminateOrClose<EventTrailView>();
    terminateOrClose<InspectorView>();
}

} // namespace
} // namespace tarvex::test
