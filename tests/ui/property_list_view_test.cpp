// The property inspector: its rows, the value box's commit, and its life as a module.
#include "test_support.h"

#include "ui/twips.h"
#include "ui/views/format_value.h"
#include "ui/views/frm_property_list.h"
#include "ui/views/property_list_view.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <iostream>

namespace tarvex::test {
namespace {

using Col = frmInspectorWindow::Column;

ItemPtr infoItem(const HubPtr& hub, const QString& name, int metrics, int low = 0, int high = 1,
                 int security = 0) {
    ItemPtr it = hub->AttachItem(name);
    auto info = std::make_shared<ItemInfo>();
    info->Metrics = metrics;
    info->Low = low;
    info->High = high;
    info->Security = security;
    it->setInfo(info);
    return it;
}

QStringList rowTexts(const QTreeWidgetItem* row) {
    QStringList texts;
    for (int c = 0; c < Col::kColumnCount; ++c)
        texts << row->text(c);
    return texts;
}

class Inspector : public ::testing::Test {
protected:
    void SetUp() override {
        band = infoItem(hub, "0band", 0x21, -5, 10);
        band->setValue(3);
        oper = hub->AttachItem("0oper"); // no Info yet
        message = infoItem(hub, "0message", ItemInfo::kStr);
        message->setValue("Amp on");
        loose = infoItem(hub, "0loose", 3);
        tune = infoItem(hub, "0tune", ItemInfo::kInt, 0, 100, -1);
        tune->setValue(40);
        level = infoItem(hub, "0level", ItemInfo::kByte, 0, 255, 0xABC);
        view.Initialize(hub, 0);
        window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    }

    frmInspectorWindow* window() const { return view.window(); }
    QTreeWidget* list() const { return window()->lvwInspector(); }
    QComboBox* box() const { return window()->cboValue(); }

    // The user selects the item's row (or none), types into the value box and presses Enter.
    void type(const ItemPtr& it, const QString& text) {
        if (it)
            list()->setCurrentItem(view.row(it->Name()));
        else
            list()->clearSelection();
        box()->setFocus();
        box()->setEditText(text);
        QTest::keyClick(box(), Qt::Key_Return);
    }

    HubPtr hub = Hub::create();
    ItemPtr band, oper, message, loose, tune, level;
    InspectorView view;
};

TEST_F(Inspector, OpensWithTheDesignedColumnsAndLayout) {
    EXPECT_EQ(window()->windowTitle(), "Inspector");
    EXPECT_EQ(view.Description(), "System Property Inspector");
    const QStringList headers{"Name", "Type", "Value",   "LastValue",
                              "Low",  "High", "Metrics", "Security"};
    const int widths[] = {1440, 600, 1440, 1440, 600, 600, 1000, 1000};
    ASSERT_EQ(list()->columnCount(), headers.size());
    for (int c = 0; c < headers.size(); ++c) {
        EXPECT_EQ(list()->headerItem()->text(c), headers[c]);
        EXPECT_EQ(list()->columnWidth(c), Twips::toPixelsX(widths[c], list())) << c;
    }
    EXPECT_NEAR(widthTwips(window()), 4290, 15);
    EXPECT_NEAR(heightTwips(window()), 5670, 15);
    EXPECT_TRUE(box()->isEditable());
    EXPECT_EQ(box()->count(), 0);
    EXPECT_EQ(box()->pos(), Twips::toPixels(QPoint(-15, 0), box()));
    EXPECT_EQ(list()->pos(), Twips::toPixels(QPoint(-15, 300), list()));

    // The box and the list reach just past the right and bottom edges, never negative.
    window()->resize(300, 400);
    EXPECT_EQ(box()->width(), 300 + Twips::toPixelsX(25, box()));
    EXPECT_EQ(list()->width(), 300 + Twips::toPixelsX(50, list()));
    EXPECT_EQ(list()->y() + list()->height(), 400 + Twips::toPixelsY(50, list()));
    window()->resize(20, 3);
    EXPECT_EQ(list()->height(), 0);
    EXPECT_GE(box()->width(), 0);
}

TEST_F(Inspector, RowsShowValuesTypesAndMetadata) {
    ASSERT_EQ(list()->topLevelItemCount(), 6);
    EXPECT_EQ(rowTexts(list()->topLevelItem(0)),
              (QStringList{"0band", "Long", "3", "<Empty>", "-5", "10", "21", "0"}));
    EXPECT_EQ(rowTexts(list()->topLevelItem(1)),
              (QStringList{"0oper", "Unknown", "<Empty>", "<Null>", "", "", "", ""}));
    EXPECT_EQ(rowTexts(list()->topLevelItem(2)),
              (QStringList{"0message", "Str", "\"Amp on\"", "<Empty>", "0", "1", "6", "0"}));
    EXPECT_EQ(rowTexts(list()->topLevelItem(3)),
              (QStringList{"0loose", "", "<Empty>", "<Null>", "0", "1", "3", "0"}));
    EXPECT_EQ(list()->topLevelItem(4)->text(Col::kSecurity), "FFFFFFFF");
    EXPECT_EQ(list()->topLevelItem(5)->text(Col::kSecurity), "ABC");
    EXPECT_EQ(list()->topLevelItem(5)->text(Col::kMetrics), "F");
}

TEST_F(Inspector, TypedValuesAreStoredByTheItemsOwnRules) {
    type(band, "12");
    EXPECT_EQ(band->Value().type(), Variant::Type::Long);
    EXPECT_EQ(band->Value().toLong(), 12);
    EXPECT_EQ(view.row("0band")->text(Col::kValue), "12");
    EXPECT_EQ(view.row("0band")->text(Col::kLastValue), "3");
    EXPECT_TRUE(list()->hasFocus()); // Enter ended the edit

    type(band, "2.5");
    EXPECT_EQ(band->Value().toLong(), 2);
    type(band, " 3.5 ");
    EXPECT_EQ(band->Value().toLong(), 4);

    type(tune, "12");
    EXPECT_EQ(tune->Value().type(), Variant::Type::Integer);
    EXPECT_EQ(tune->Value().toInteger(), 12);

    type(message, "Standby now");
    EXPECT_EQ(*message->Value().peek<QString>(), "Standby now");
    EXPECT_EQ(box()->currentText(), "\"Standby now\"");

    // An untyped item keeps what it is given: a number as a 32-bit integer, a word as text.
    type(loose, "7");
    EXPECT_EQ(loose->Value().type(), Variant::Type::Long);
    type(loose, "word");
    EXPECT_EQ(*loose->Value().peek<QString>(), "word");

    // Leaving the box for the list commits as Enter does.
    list()->setCurrentItem(view.row("0band"));
    box()->setFocus();
    box()->setEditText("9");
    list()->setFocus();
    EXPECT_EQ(band->Value().toLong(), 9);
}

TEST_F(Inspector, RefusedValuesChangeNothingAndTheBoxShowsTheValueAgain) {
    struct Case {
        ItemPtr it;
        QString typed;
    };
    const Case cases[] = {
        {band, "99999999999"},                 // beyond 32 bits
        {band, "-2147483649"}, {band, "word"}, // not a number for a Long item
        {level, "300"},                        // beyond a byte
        {oper, "5"},                           // no Info: the item ignores the write
    };
    for (const Case& c : cases) {
        const QString before = FormatValue(c.it->Value());
        const QStringList row = rowTexts(view.row(c.it->Name()));
        type(c.it, c.typed);
        EXPECT_EQ(FormatValue(c.it->Value()), before) << c.typed.toStdString();
        EXPECT_EQ(rowTexts(view.row(c.it->Name())), row) << c.typed.toStdString();
        EXPECT_EQ(box()->currentText(), before) << c.typed.toStdString();
    }

    // No row selected: nothing anywhere changes.
    QList<QStringList> rows;
    for (int i = 0; i < list()->topLevelItemCount(); ++i)
        rows << rowTexts(list()->topLevelItem(i));
    type(nullptr, "1");
    for (int i = 0; i < list()->topLevelItemCount(); ++i)
        EXPECT_EQ(rowTexts(list()->topLevelItem(i)), rows[i]);
}

TEST_F(Inspector, LeavingTheBoxUneditedWritesNothingBack) {
    list()->setCurrentItem(view.row("0message"));
    EXPECT_EQ(box()->currentText(), "\"Amp on\"");
    box()->setFocus();
    list()->setFocus();
    EXPECT_EQ(*message->Value().peek<QString>(), "Amp on"); // no quotes added

    // The amplifier changes the value meanwhile: the stale text shown must not overwrite it.
    list()->setCurrentItem(view.row("0tune"));
    box()->setFocus();
    tune->setValue(41);
    list()->setFocus();
    EXPECT_EQ(tune->Value().toInteger(), 41);
}

TEST_F(Inspector, ClickingARowShowsItsValue) {
    QTreeWidgetItem* row = view.row("0message");
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(row).center());
    EXPECT_EQ(list()->currentItem(), row);
    EXPECT_EQ(box()->currentText(), "\"Amp on\"");
}

TEST_F(Inspector, ChangesReachOnlyTheirRowAndColumns) {
    QTreeWidgetItem* row = view.row("0band");
    for (int c : {Col::kType, Col::kLow, Col::kHigh, Col::kMetrics, Col::kSecurity})
        row->setText(c, "mark");
    const QStringList other = rowTexts(view.row("0tune"));
    band->setValue(7);
    EXPECT_EQ(rowTexts(row),
              (QStringList{"0band", "mark", "7", "3", "mark", "mark", "mark", "mark"}));
    EXPECT_EQ(rowTexts(view.row("0tune")), other);

    // A new Info rewrites the whole row.
    auto info = std::make_shared<ItemInfo>();
    info->Metrics = 0x1009;
    band->setInfo(info);
    EXPECT_EQ(rowTexts(row), (QStringList{"0band", "Bool", "7", "3", "0", "1", "1009", "0"}));
}

TEST_F(Inspector, NewItemIsAppendedAsLastRowAndFillsIn) {
    ItemPtr fwd = hub->AttachItem("1fwd");
    ASSERT_EQ(list()->topLevelItemCount(), 7);
    QTreeWidgetItem* last = list()->topLevelItem(6);
    EXPECT_EQ(view.row("1fwd"), last);
    EXPECT_EQ(rowTexts(last),
              (QStringList{"1fwd", "Unknown", "<Empty>", "<Null>", "", "", "", ""}));
    auto info = std::make_shared<ItemInfo>();
    info->Metrics = ItemInfo::kInt;
    info->High = 1500;
    fwd->setInfo(info);
    fwd->setValue(850);
    EXPECT_EQ(rowTexts(last),
              (QStringList{"1fwd", "Int", "850", "<Empty>", "0", "1500", "0", "0"}));
}

TEST(InspectorLifecycle, TerminateIsHarmlessAtAnyTimeAndKeepsNoHub) {
    {
        InspectorView never;
        never.Terminate();
        never.Terminate();
        EXPECT_EQ(never.window(), nullptr);
    }
    HubPtr hub = Hub::create();
    ItemPtr band = infoItem(hub, "0band", ItemInfo::kLong);
    InspectorView view;
    QSignalSpy closed(&view, &InspectorView::windowClosed);
    view.Initialize(hub, 2);
    ASSERT_NE(view.row("0band"), nullptr);
    view.Terminate();
    view.Terminate();
    EXPECT_EQ(view.window(), nullptr);
    EXPECT_EQ(view.row("0band"), nullptr);
    band->setValue(4); // reaches nobody
    EXPECT_EQ(hub.use_count(), 1);

    // Closing the window by its frame terminates the view.
    view.Initialize(hub, 0);
    ASSERT_TRUE(view.window()->close());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(view.window(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // An open view never keeps its hub alive.
    view.Initialize(hub, 0);
    std::weak_ptr<Hub> weak = hub;
    hub.reset();
    EXPECT_TRUE(weak.expired());
    view.FillList();
    EXPECT_EQ(view.window()->lvwInspector()->topLevelItemCount(), 0);
}

TEST(InspectorLifecycle, ManyItemsAndFastChangesStayCheap) {
    HubPtr hub = Hub::create();
    std::vector<ItemPtr> items;
    for (int i = 0; i < 3000; ++i)
        items.push_back(infoItem(hub, QStringLiteral("%1item%2").arg(i % 8).arg(i), 0, 0, 2000));
    InspectorView view;
    QElapsedTimer clock;
    clock.start();
    view.Initialize(hub, 0);
    const double fillMs = clock.nsecsElapsed() / 1e6;
    const int changes = 100000;
    clock.start();
    for (int i = 0; i < changes; ++i)
        items[i % items.size()]->setValue(std::int16_t(i % 2000));
    const double changeUs = clock.nsecsElapsed() / 1e3 / changes;
    std::cout << "[ inspector ] fill of 3000 items " << fillMs << " ms; " << changeUs
              << " us per value change\n";
    RecordProperty("fill_3000_ms", QString::number(fillMs).toStdString());
    RecordProperty("change_us", QString::number(changeUs).toStdString());

    const int lastIndex = (changes - 1) % 3000;
    EXPECT_EQ(view.row(items[lastIndex]->Name())->text(Col::kValue),
              QString::number((changes - 1) % 2000));
    view.Terminate();
}

} // namespace
} // namespace tarvex::test
