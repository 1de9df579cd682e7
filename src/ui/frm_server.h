#pragma once

#include "core/module.h"

#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;

namespace tarvex {

// "Amplifier Device Configuration": edits the amplifier list the server object loaded for it.
// One instance, hidden between uses, so its changes flag carries over from one use to the next.
class frmServer : public QDialog {
    Q_OBJECT

public:
    // Makes the module that "Add Amplifier..." appends.
    using ModuleFactory = std::function<ModulePtr()>;

    explicit frmServer(ModuleFactory makeModule, QWidget* parent = nullptr);

    // Edits the list in place, modally; afterwards saveChanges tells whether to save it.
    void EditModuleList(ModuleList& modules, bool& saveChanges);

    bool changes() const { return mChanges; }

    QListWidget* lstModules;
    QPushButton* btnAdd;
    QPushButton* BtnRemove;
    QPushButton* btnEdit;
    QPushButton* BtnMoveUp;
    QPushButton* btnMoveDown;
    QPushButton* btnOK;
    QPushButton* Command1;

public slots:
    // Escape and the window frame count as Cancel.
    void reject() override;

private:
    void FillList();
    // The list position of the selected line, or -1 when no line is selected.
    int selectedModule() const;
    void editModule(int position);

    void btnAdd_Click();
    void BtnRemove_Click();
    void btnEdit_Click();
    void BtnMoveUp_Click();
    void btnMoveDown_Click();
    void btnOK_Click();
    void Command1_Click();

    ModuleFactory mMakeModule;
    ModuleList* mModules = nullptr;
    bool mChanges = false;
};

} // namespace tarvex
