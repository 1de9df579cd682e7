#include "test_support.h"

#include "core/property_bag.h"
#include "ui/frm_server.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace tarvex::test {
namespace {

// A module with a name that its "settings dialog" may change.
class NamedModule : public Module {
public:
    explicit NamedModule(QString name) : mName(std::move(name)) {}
    void Initialize(const HubPtr&, std::int16_t) override {}
    void Terminate() override {}
    void EditProperties() override {
        ++edits;
        if (onEdit)
            onEdit(*this);
    }
    QString Description() const override { return mName; }
    void WriteProps(PropertyBag& pb) override { pb.WriteProperty("DeviceName", mName, "Unnamed"); }
    void ReadProps(PropertyBag& pb) override {
        mName = pb.ReadProperty("DeviceName", "Unnamed").toString();
    }
    bool isAmplifierDriver() const override { return true; }

    void rename(const QString& n) { mName = n; }
    int edits = 0;
    std::function<void(NamedModule&)> onEdit;

private:
    QString mName;
};

QStringList names(const ModuleList& list) {
    QStringList out;
    for (const auto& m : list)
        out << m->Description();
    return out;
}

QStringList lines(const frmServer& dlg) {
    QStringList out;
    for (int i = 0; i < dlg.lstModules->count(); ++i)
        out << dlg.lstModules->item(i)->text();
    return out;
}

// Runs the dialog on the list, doing `actions` while it is open; returns the save flag.
bool runDialog(frmServer& dlg, ModuleList& list, const std::function<void()>& actions) {
    QTimer::singleShot(0, &dlg, actions);
    bool save = false;
    dlg.EditModuleList(list, save);
    return save;
}

void select(frmServer& dlg, int row) {
    dlg.lstModules->item(row)->setSelected(true);
}

ModuleList threeModules() {
    return {std::make_shared<NamedModule>("first"), std::make_shared<NamedModule>("second"),
            std::make_shared<NamedModule>("third")};
}

TEST(FrmServer, ButtonsWithoutAUsableSelectionDoNothing) {
    frmServer dlg([] { return std::make_shared<NamedModule>("new"); });
    ModuleList list = threeModules();
    const bool save = runDialog(dlg, list, [&] {
        for (QPushButton* b : {dlg.BtnRemove, dlg.btnEdit, dlg.BtnMoveUp, dlg.btnMoveDown})
            b->click(); // nothing selected
        select(dlg, 0);
        dlg.BtnMoveUp->click();
        dlg.lstModules->clearSelection();
        select(dlg, 2);
        dlg.btnMoveDown->click();
        dlg.btnOK->click();
    });
    EXPECT_FALSE(save);
    EXPECT_EQ(names(list), (QStringList{"first", "second", "third"}));
    EXPECT_EQ(std::static_pointer_cast<NamedModule>(list[0])->edits, 0);
}

TEST(FrmServer, MovingRemovingAndConfiguring) {
    frmServer dlg([] { return std::make_shared<NamedModule>("new"); });
    ModuleList list = threeModules();
    const bool save = runDialog(dlg, list, [&] {
        select(dlg, 1);
        dlg.btnMoveDown->click();
        EXPECT_EQ(lines(dlg), (QStringList{"first", "third", "second"}));
        EXPECT_TRUE(dlg.lstModules->selectedItems().isEmpty()); // a refill drops the selection
        dlg.btnMoveDown->click();                               // so this does nothing
        select(dlg, 1);
        dlg.BtnMoveUp->click();
        EXPECT_EQ(lines(dlg), (QStringList{"third", "first", "second"}));

        // Configure edits in place but leaves the line's old text until the next refill.
        auto first = std::static_pointer_cast<NamedModule>(list[1]);
        first->onEdit = [](NamedModule& m) { m.rename("renamed"); };
        select(dlg, 1);
        dlg.btnEdit->click();
        EXPECT_EQ(first->edits, 1);
        EXPECT_EQ(lines(dlg)[1], "first");

        dlg.lstModules->clearSelection();
        select(dlg, 0);
        dlg.BtnRemove->click();
        EXPECT_EQ(lines(dlg), (QStringList{"renamed", "second"}));
        dlg.btnOK->click();
    });
    EXPECT_TRUE(save);
    EXPECT_EQ(names(list), (QStringList{"renamed", "second"}));
}

TEST(FrmServer, AddedModuleStaysWhenItsSettingsAreCancelled) {
    std::shared_ptr<NamedModule> made;
    frmServer dlg([&] { return made = std::make_shared<NamedModule>("Unnamed"); });
    ModuleList list;
    const bool save = runDialog(dlg, list, [&] {
        dlg.btnAdd->click(); // its settings dialog changes nothing: as if cancelled
        dlg.btnOK->click();
    });
    EXPECT_TRUE(save);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], made);
    EXPECT_EQ(made->edits, 1);
    EXPECT_EQ(lines(dlg), QStringList{"Unnamed"});
}

TEST(FrmServer, ChangesFlagSurvivesUntilCancelledAndFrameCloseIsCancel) {
    frmServer dlg([] { return std::make_shared<NamedModule>("new"); });
    ModuleList list = threeModules();
    EXPECT_TRUE(runDialog(dlg, list, [&] {
        dlg.btnAdd->click();
        dlg.btnOK->click();
    }));
    // A later use that changes nothing still asks for a save.
    EXPECT_TRUE(runDialog(dlg, list, [&] { dlg.btnOK->click(); }));
    EXPECT_FALSE(runDialog(dlg, list, [&] {
        dlg.btnAdd->click();
        dlg.Command1->click();
    }));
    EXPECT_FALSE(runDialog(dlg, list, [&] {
        dlg.btnAdd->click();
        dlg.close(); // by the window frame
    }));
    EXPECT_FALSE(dlg.isVisible());
}

using FrmServerConfigureTest = MainWindowTest;

TEST_F(FrmServerConfigureTest, ConfigureRoundTripSavesAndRestartsWithTheList) {
    int added = 0;
    frmServer dlg([&] { return std::make_shared<NamedModule>(QString("amp%1").arg(++added)); });
    auto factory = [&] { return std::make_shared<NamedModule>("loaded"); };
    auto editor = [&dlg](ModuleList& modules) {
        bool save = false;
        dlg.EditModuleList(modules, save);
        return save;
    };
    auto window = std::make_unique<frmMain>(factory, editor, fakeRegistry(log));
    ASSERT_TRUE(window->server()->modules()->empty());
    QObject::connect(window->server(), &ServerObject::errorOccurred,
                     [](const QString& m) { ADD_FAILURE() << m.toStdString(); });

    // Add two amplifiers, name them through their settings, swap them, confirm.
    QTimer::singleShot(0, &dlg, [&] {
        dlg.btnAdd->click();
        dlg.btnAdd->click();
        ASSERT_EQ(dlg.lstModules->count(), 2);
        select(dlg, 1);
        dlg.BtnMoveUp->click();
        dlg.btnOK->click();
    });
    window->findChild<QAction*>("mnuEdit")->trigger();
    ASSERT_NE(window->server()->modules(), nullptr);
    EXPECT_EQ(names(*window->server()->modules()), (QStringList{"amp2", "amp1"}));
    EXPECT_EQ(window->views().size(), 8); // a banner, meter, tune and main panel each

    // Cancelling leaves the saved list as it was.
    QFile file("server.dat");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();
    QTimer::singleShot(0, &dlg, [&] {
        select(dlg, 0);
        dlg.BtnRemove->click();
        dlg.Command1->click();
    });
    window->findChild<QAction*>("mnuEdit")->trigger();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), saved);
    EXPECT_EQ(names(*window->server()->modules()), (QStringList{"amp2", "amp1"}));

    // The next start finds the same list.
    window->close();
    window = std::make_unique<frmMain>(factory, editor, fakeRegistry(log));
    EXPECT_EQ(names(*window->server()->modules()), (QStringList{"amp2", "amp1"}));
}

} // namespace
} // namespace tarvex::test
