// The property inspector: its rows, the value box's commit, and its life as a module.
#include "test_support.h"

#include "ui/twips.h"
#include "ui/views/format_value.h"
#include "ui/views/frm_property_list.h"
#include "ui/views/property_list_view.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QTest>
#include <QTreeWidget>

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

TEST_F(Inspector, ResizingNeverGivesANegativeSize) {
    window()->resize(300, 400);
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
    EXPECT_EQ(view.row("0band")->text(Col::kLastValue), "3");

    type(band, "2.5");
    EXPECT_EQ(band->Value().toLong(), 2);
    type(band, " 3.5 ");
    EXPECT_EQ(band->Value().toLong(), 4);

    type(message, "Standby now");
    EXPECT_EQ(*message->Value().peek<QString>(), "Standby now");
    EXPECT_EQ(box()->currentText(), "\"Standby now\"");

    // An untyped item keeps what it is given: a number as a 32-bit integer.
    type(loose, "7");
    EXPECT_EQ(loose->Value().type(), Variant::Type::Long);

    // Leaving the box for the list commits as Enter does.
    list()->setCurrentItem(view.row("0band"));
    box()->setFocus();
    box()->setEditText("9");
    list()->setFocus();
    EXPECT_EQ(band->Value().toLong(), 9);
}

TEST_F(Inspector, RefusedValuesChangeNothingAndTheBoxShowsTheValueAgain) {
    const std::pair<ItemPtr, QString> cases[] = {
        {band, "-2147483649"}, // beyond 32 bits
        {band, "word"},        // not a number for a Long item
        {oper, "5"},           // no Info: the item ignores the write
    };
    for (const auto& [it, typed] : cases) {
        const QString before = FormatValue(it->Value());
        const QStringList row = rowTexts(view.row(it->Name()));
        type(it, typed);
        EXPECT_EQ(FormatValue(it->Value()), before) << typed.toStdString();
        EXPECT_EQ(rowTexts(view.row(it->Name())), row) << typed.toStdString();
        EXPECT_EQ(box()->currentText(), before) << typed.toStdString();
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

TEST_F(Inspector, ChangesReachOnlyTheirRowAndColumns) {
    QTreeWidgetItem* row = view.row("0band");
    for (int c : {Col::kType, Col::kLow, Col::kHigh, Col::kMetrics, Col::kSecurity})
        row->setText(c, "mark");
    const QStringList other = rowTexts(view.row("0tune"));
    band->setValue(7);
    EXPECT_EQ(rowTexts(row),
              (QStringList{"0band", "mark", "7", "3", "mark", "mark", "mark", "mark"}));
    EXPECT_EQ(rowTexts(view.row("0tune")), other);
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
    fwd->setInfo(info);
    fwd->setValue(850);
    EXPECT_EQ(rowTexts(last), (QStringList{"1fwd", "Int", "850", "<Empty>", "0", "1", "0", "0"}));
}

TEST(InspectorLifecycle, TerminateOrCloseStopsListeningAndTheViewKeepsNoHub) {
    InspectorView never;
    never.Terminate(); // before Initialize: harmless

    HubPtr hub = Hub::create();
    ItemPtr band = infoItem(hub, "0band", ItemInfo::kLong);
    InspectorView view;
    view.Initialize(hub, 2);
    view.Terminate();
    view.Terminate();
    EXPECT_EQ(view.row("0band"), nullptr);
    band->setValue(4); // reaches nobody
    EXPECT_EQ(hub.use_count(), 1);

    view.Initialize(hub, 0);
    ASSERT_TRUE(view.window()->close());
    EXPECT_EQ(view.window(), nullptr) << "closing the window terminates the view";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // An open view never keeps its hub alive.
    view.Initialize(hub, 0);
    std::weak_ptr<Hub> weak = hub;
    hub.reset();
    EXPECT_TRUE(weak.expired());
    view.FillList();
    EXPECT_EQ(view.window()->lvwInspector()->topLevelItemCount(), 0);
}

} // namespace
} // namespace tarvex::test
