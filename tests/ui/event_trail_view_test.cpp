// The event trail: its lines, its filter, its bounded size and its life as a module.
#include "test_support.h"

#include "ui/views/event_trail_view.h"
#include "ui/views/format_value.h"
#include "ui/views/frm_event_trail.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPlainTextEdit>

namespace tarvex::test {
namespace {

ItemPtr typedItem(const HubPtr& hub, const QString& name, int metrics) {
    ItemPtr it = hub->AttachItem(name);
    auto info = std::make_shared<ItemInfo>();
    info->Metrics = metrics;
    it->setInfo(info);
    return it;
}

class EventTrail : public ::testing::Test {
protected:
    void SetUp() override { view.Initialize(hub, 0); }

    QComboBox* list() const { return view.window()->cboEventTrail(); }
    QString lastLine() const { return view.trailText().section(u'\n', -1); }

    HubPtr hub = Hub::create();
    EventTrailView view;
};

TEST(FormatValue, ShowsValuesThatHaveNoPlainText) {
    EXPECT_EQ(FormatValue(Variant(std::make_shared<int>(1))), "<Object>");
    EXPECT_EQ(FormatValue(Variant(true)), "True");
    // A byte block has no text form; formatting it must not throw.
    EXPECT_EQ(FormatValue(Variant(QByteArray("abc"))), "<Bytes:3>");
}

TEST_F(EventTrail, FiltersLinesBySelectedEntry) {
    ItemPtr early = typedItem(Hub::create(), "x", 0); // another hub: must never appear
    early->setValue(1);
    ItemPtr band = typedItem(hub, "0band", ItemInfo::kLong);
    ItemPtr message = typedItem(hub, "0message", ItemInfo::kStr);
    band->setValue(5);
    message->setValue("Amp on");
    EXPECT_EQ(view.trailText(), "<<Event Trail Started>>\n"
                                "\nNew 0band\nNew 0message\n0band=5\n0message=\"Amp on\"");
    EXPECT_EQ(list()->itemText(2), "0message");

    // Picking an entry writes nothing; from then on only that item's value, without its name.
    const QString before = view.trailText();
    list()->setCurrentIndex(1);
    band->setValue(7);
    message->setValue("Standby");
    hub->AttachItem("0oper"); // listed, but no "New" line while another item is selected
    EXPECT_EQ(view.trailText(), before + "\n7");

    // Selecting a name before its item exists shows its "New" line.
    list()->addItem("1band"); // as if a previous run had listed it
    list()->setCurrentIndex(list()->count() - 1);
    hub->AttachItem("1band");
    EXPECT_EQ(lastLine(), "New 1band");

    list()->setCurrentIndex(0);
    message->setValue("Operate");
    EXPECT_EQ(lastLine(), "0message=\"Operate\"");
}

TEST_F(EventTrail, ShowsEmptyNullAndQuotedText) {
    ItemPtr loose = typedItem(hub, "0loose", 3); // a code that stores values unconverted
    loose->setValue(Variant());
    EXPECT_EQ(lastLine(), "0loose=<Empty>");
    loose->setValue(Variant::null());
    EXPECT_EQ(lastLine(), "0loose=<Null>");
    ItemPtr text = typedItem(hub, "0text", ItemInfo::kStr);
    text->setValue("say \"hi\"");
    EXPECT_EQ(lastLine(), "0text=\"say \"hi\"\"");
    list()->setCurrentIndex(2);
    text->setValue("");
    EXPECT_EQ(lastLine(), "\"\"");
}

TEST_F(EventTrail, DropsTheOldestCharactersOnceFullAndKeepsTheLastLineWhole) {
    ItemPtr text = typedItem(hub, "0message", ItemInfo::kStr);
    int trims = 0;
    for (int i = 0; trims < 3; ++i) {
        // Lines of varying length so that the cap falls at different points of a line.
        const QString value = QString(7 + i % 13, QChar(u'a' + i % 26));
        const QString before = view.trailText();
        text->setValue(value);
        const QString line = "\n0message=\"" + value + '"';
        if (before.size() >= EventTrailView::kTrimAt) {
            ++trims;
            ASSERT_EQ(view.trailText(), before.mid(EventTrailView::kTrimChars) + line) << i;
        } else {
            ASSERT_EQ(view.trailText(), before + line) << i;
        }
    }
}

TEST_F(EventTrail, SmallWindowGivesTheTrailNoNegativeSize) {
    frmEventTrail* w = view.window();
    const QPlainTextEdit* trail = w->txtEventTrail();
    const int top = trail->y();
    w->resize(40, top / 2);
    EXPECT_EQ(trail->height(), 0);
    w->resize(500, top + 300);
    EXPECT_EQ(trail->geometry(), QRect(0, top, 500, 300));
}

TEST(EventTrailLifecycle, TerminateOrCloseStopsListeningAndTheViewKeepsNoHub) {
    EventTrailView never;
    never.Terminate(); // before Initialize: harmless

    HubPtr hub = Hub::create();
    EventTrailView view;
    view.Initialize(hub, 0);
    view.Terminate();
    view.Terminate();
    EXPECT_EQ(view.window(), nullptr);
    typedItem(hub, "0band", ItemInfo::kLong)->setValue(5); // reaches nobody, breaks nothing
    EXPECT_EQ(view.trailText(), QString());

    view.Initialize(hub, 0);
    ASSERT_TRUE(view.window()->close());
    EXPECT_EQ(view.window(), nullptr) << "closing the window terminates the view";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(hub.use_count(), 1);
}

} // namespace
} // namespace tarvex::test
