// The amplifier list dialog: its buttons and the save flag it hands back.
#include "test_support.h"

#include "ui/frm_server.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace tarvex::test {
namespace {

ModulePtr named(const QString& name) {
    return std::make_shared<FakeDriver>(std::make_shared<QStringList>(), name);
}

QStringList names(const ModuleList& list) {
    QStringList out;
    for (const auto& m : list)
        out << m->Description();
    return out;
}

// Runs the dialog on the list, doing `actions` while it is open; returns the save flag.
bool runDialog(frmServer& dlg, ModuleList& list, const std::function<void()>& actions) {
    QTimer::singleShot(0, &dlg, actions);
    bool save = false;
    dlg.EditModuleList(list, save);
    return save;
}

// Selects the row (none for -1) and clicks the button.
void click(frmServer& dlg, int row, QPushButton* button) {
    dlg.lstModules->clearSelection();
    if (row >= 0)
        dlg.lstModules->item(row)->setSelected(true);
    button->click();
}

TEST(FrmServer, MovingRemovingAndConfiguringAndTheChangesFlag) {
    frmServer dlg([] { return named("new"); });
    ModuleList list = {named("first"), named("second"), named("third")};
    static_cast<FakeDriver*>(list[0].get())->renameTo = "renamed";
    // Without a usable selection the buttons do nothing and ask for no save.
    EXPECT_FALSE(runDialog(dlg, list, [&] {
        for (QPushButton* b : {dlg.BtnRemove, dlg.btnEdit, dlg.BtnMoveUp, dlg.btnMoveDown})
            click(dlg, -1, b);
        click(dlg, 0, dlg.BtnMoveUp);
        click(dlg, 2, dlg.btnMoveDown);
        dlg.btnOK->click();
    }));
    EXPECT_EQ(names(list), (QStringList{"first", "second", "third"}));

    // Configure alone asks for a save; the flag then survives a use that changes nothing,
    // until one is cancelled (the window frame's close is a cancel).
    EXPECT_TRUE(runDialog(dlg, list, [&] { click(dlg, 0, dlg.btnEdit), dlg.btnOK->click(); }));
    EXPECT_TRUE(runDialog(dlg, list, [&] { dlg.btnOK->click(); }));
    EXPECT_FALSE(runDialog(dlg, list, [&] { click(dlg, -1, dlg.btnAdd), dlg.close(); }));
    EXPECT_EQ(names(list), (QStringList{"renamed", "second", "third", "new"}))
        << "an added module stays even when its settings are cancelled";

    EXPECT_TRUE(runDialog(dlg, list, [&] {
        click(dlg, 0, dlg.btnMoveDown);
        click(dlg, 3, dlg.BtnMoveUp);
        click(dlg, 0, dlg.BtnRemove);
        dlg.btnOK->click();
    }));
    EXPECT_EQ(names(list), (QStringList{"renamed", "new", "third"}));

    // A list at the limit takes no more: a further entry would be lost at the next start.
    while (list.size() < 64)
        list.push_back(named("more"));
    EXPECT_FALSE(runDialog(dlg, list, [&] {
        EXPECT_FALSE(dlg.btnAdd->isEnabled());
        click(dlg, 0, dlg.BtnRemove);
        EXPECT_TRUE(dlg.btnAdd->isEnabled());
        dlg.close();
    }));
}

} // namespace
} // namespace tarvex::test
