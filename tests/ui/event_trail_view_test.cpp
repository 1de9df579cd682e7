// The event trail: its lines, its filter, its bounded size and its life as a module.
#include "test_support.h"

#include "ui/views/event_trail_view.h"
#include "ui/views/format_value.h"
#include "ui/views/frm_event_trail.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QSignalSpy>

#include <iostream>

namespace tarvex::test {
namespace {

ItemPtr typedItem(const HubPtr& hub, const QString& name, int metrics) {
    ItemPtr it = hub->AttachItem(name);
    auto info = std::make_shared<ItemInfo>();
    info->Metrics = metrics;
    it->setInfo(info);
    return it;
}

void runDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class EventTrail : public ::testing::Test {
protected:
    void SetUp() override { view.Initialize(hub, 0); }

    QComboBox* list() const { return view.window()->cboEventTrail(); }
    QString lastLine() const { return view.trailText().section(u'\n', -1); }
    QStringList entries() const {
        QStringList names;
        for (int i = 0; i < list()->count(); ++i)
            names << list()->itemText(i);
        return names;
    }

    HubPtr hub = Hub::create();
    EventTrailView view;
};

TEST(FormatValue, ShowsEachKindOfValue) {
    EXPECT_EQ(FormatValue(Variant()), "<Empty>");
    EXPECT_EQ(FormatValue(Variant::null()), "<Null>");
    EXPECT_EQ(FormatValue(Variant("Amp on")), "\"Amp on\"");
    EXPECT_EQ(FormatValue(Variant("")), "\"\"");
    EXPECT_EQ(FormatValue(Variant(std::make_shared<int>(1))), "<Object>");
    EXPECT_EQ(FormatValue(Variant(std::int16_t{12})), "12");
    EXPECT_EQ(FormatValue(Variant(std::int32_t{-3})), "-3");
    EXPECT_EQ(FormatValue(Variant(std::uint8_t{255})), "255");
    EXPECT_EQ(FormatValue(Variant(true)), "True");
    EXPECT_EQ(FormatValue(Variant(false)), "False");
    EXPECT_EQ(FormatValue(Variant(1234.6)), "1234.6");
    // A byte block has no text form; formatting it must not throw.
    EXPECT_EQ(FormatValue(Variant(QByteArray("abc"))), "<Bytes:3>");

    HubPtr hub = Hub::create();
    EXPECT_EQ(FormatItem(*hub->AttachItem("0fresh")), "0fresh=<Empty>");
    ItemPtr message = typedItem(hub, "0message", ItemInfo::kStr);
    message->setValue("Amp on");
    EXPECT_EQ(FormatItem(*message), "0message=\"Amp on\"");
}

TEST_F(EventTrail, OpensWithTrackAllSelectedAndTheStartLine) {
    frmEventTrail* w = view.window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Event Trail Viewer");
    EXPECT_EQ(view.Description(), "Event Trail Viewer");
    EXPECT_EQ(entries(), QStringList{"(Track All Items)"});
    EXPECT_EQ(list()->currentIndex(), 0);
    EXPECT_EQ(view.trailText(), "<<Event Trail Started>>\n");
    EXPECT_NEAR(widthTwips(w), 5250, 15);
    EXPECT_NEAR(heightTwips(w), 3015, 15);
    EXPECT_EQ(posTwips(list()), QPoint(0, 30));
    EXPECT_GE(widthTwips(list()), 1785 - 15);
    const QPlainTextEdit* trail = w->txtEventTrail();
    EXPECT_EQ(posTwips(trail), QPoint(0, 405));
    EXPECT_EQ(trail->width(), w->width());
    EXPECT_EQ(trail->y() + trail->height(), w->height());
}

TEST_F(EventTrail, FiltersLinesBySelectedEntry) {
    // Items from before the view opened: no entry, no "New" line, but their changes show.
    ItemPtr early = typedItem(Hub::create(), "x", 0); // another hub: must never appear
    early->setValue(1);
    EXPECT_EQ(view.trailText(), "<<Event Trail Started>>\n");

    ItemPtr band = typedItem(hub, "0band", ItemInfo::kLong);
    ItemPtr message = typedItem(hub, "0message", ItemInfo::kStr);
    band->setValue(5);
    message->setValue("Amp on");
    EXPECT_EQ(view.trailText(), "<<Event Trail Started>>\n"
                                "\nNew 0band\nNew 0message\n0band=5\n0message=\"Amp on\"");
    EXPECT_EQ(entries(), (QStringList{"(Track All Items)", "0band", "0message"}));

    // Picking an entry writes nothing; from then on only that item's value, without its name.
    const QString before = view.trailText();
    list()->setCurrentIndex(1);
    EXPECT_EQ(view.trailText(), before);
    band->setValue(7);
    EXPECT_EQ(lastLine(), "7");
    message->setValue("Standby");
    hub->AttachItem("0oper"); // listed, but no "New" line while another item is selected
    EXPECT_EQ(view.trailText(), before + "\n7");
    EXPECT_EQ(entries().last(), "0oper");

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
    loose->setValueObject(std::make_shared<int>(1));
    EXPECT_EQ(lastLine(), "0loose=<Object>");
    ItemPtr text = typedItem(hub, "0text", ItemInfo::kStr);
    text->setValue("say \"hi\"");
    EXPECT_EQ(lastLine(), "0text=\"say \"hi\"\"");
    list()->setCurrentIndex(2);
    text->setValue("");
    EXPECT_EQ(lastLine(), "\"\"");
}

TEST_F(EventTrail, DropsTheOldestCharactersOnceFull) {
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

TEST_F(EventTrail, StaysBoundedAndCheapOverALongRun) {
    ItemPtr fwd = typedItem(hub, "0fwd", ItemInfo::kInt);
    QElapsedTimer clock;
    auto appendBatch = [&](int first, int count) {
        clock.start();
        for (int i = first; i < first + count; ++i)
            fwd->setValue(std::int16_t(i % 1500));
        return double(clock.nsecsElapsed()) / count / 1000.0;
    };
    const double early = appendBatch(0, 1000);
    appendBatch(1000, 98000);
    const double late = appendBatch(99000, 1000);
    std::cout << "[ trail ] append cost: " << early << " us/line after 1k lines, " << late
              << " us/line after 100k lines, trail " << view.trailText().size() << " chars\n";
    RecordProperty("append_us_after_1k", QString::number(early).toStdString());
    RecordProperty("append_us_after_100k", QString::number(late).toStdString());

    const QString text = view.trailText();
    EXPECT_LT(text.size(), EventTrailView::kTrimAt + 20);
    EXPECT_GE(text.size(), EventTrailView::kTrimAt - EventTrailView::kTrimChars);
    EXPECT_TRUE(text.endsWith("\n0fwd=" + QString::number(99999 % 1500)));
}

TEST_F(EventTrail, SmallWindowGivesTheTrailNoNegativeSize) {
    frmEventTrail* w = view.window();
    const QPlainTextEdit* trail = w->txtEventTrail();
    const int top = trail->y();
    w->resize(40, top / 2);
    EXPECT_EQ(trail->y(), top);
    EXPECT_EQ(trail->height(), 0);
    EXPECT_EQ(trail->width(), 40);
    w->resize(500, top + 300);
    EXPECT_EQ(trail->geometry(), QRect(0, top, 500, 300));
}

TEST(EventTrailLifecycle, TerminateIsHarmlessAtAnyTimeAndStopsListening) {
    {
        EventTrailView never;
        never.Terminate();
        never.Terminate();
        EXPECT_EQ(never.window(), nullptr);
    }

    HubPtr hub = Hub::create();
    auto view = std::make_unique<EventTrailView>();
    view->Initialize(hub, 3);
    QPointer<frmEventTrail> window = view->window();
    view->Terminate();
    EXPECT_EQ(view->window(), nullptr);
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible());
    runDeferredDeletes();
    EXPECT_FALSE(window);
    typedItem(hub, "0band", ItemInfo::kLong)->setValue(5); // reaches nobody, breaks nothing
    EXPECT_EQ(view->trailText(), QString());
    view->Terminate();
    view.reset();

    // The view never keeps a hub alive, and outlives it without harm.
    EventTrailView open;
    open.Initialize(hub, 0);
    std::weak_ptr<Hub> weak = hub;
    ItemPtr survivor = typedItem(hub, "0ac", ItemInfo::kBool);
    hub.reset();
    EXPECT_TRUE(weak.expired());
    survivor->setValue(true); // its hub is gone: nothing to announce through
    EXPECT_EQ(open.trailText(), "<<Event Trail Started>>\n\nNew 0ac");
    open.Terminate();
}

TEST(EventTrailLifecycle, ClosingTheWindowTerminatesTheView) {
    HubPtr hub = Hub::create();
    EventTrailView view;
    QSignalSpy closed(&view, &EventTrailView::windowClosed);
    view.Initialize(hub, 0);
    ASSERT_TRUE(view.window()->close());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(view.window(), nullptr);
    runDeferredDeletes();
    typedItem(hub, "0band", ItemInfo::kLong)->setValue(5);
    EXPECT_EQ(hub.use_count(), 1);
}

} // namespace
} // namespace tarvex::test
