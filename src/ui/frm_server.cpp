#include "frm_server.h"

#include "core/server_object.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace tarvex {

namespace {
// Each line remembers the list position of its module, since empty entries get no line.
constexpr int kPositionRole = Qt::UserRole + 1;
} // namespace

frmServer::frmServer(ModuleFactory makeModule, QWidget* parent)
    : QDialog(parent), mMakeModule(std::move(makeModule)) {
    setObjectName(QStringLiteral("frmServer"));
    setWindowTitle(QStringLiteral("Amplifier Device Configuration"));

    lstModules = new QListWidget(this);
    lstModules->setObjectName(QStringLiteral("lstModules"));
    lstModules->setSelectionMode(QAbstractItemView::SingleSelection);

    auto button = [this](QPushButton*& b, const char* name, const QString& caption) {
        b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
    };
    button(btnAdd, "btnAdd", QStringLiteral("Add Amplifier..."));
    button(BtnRemove, "BtnRemove", QStringLiteral("Remove Amplifier"));
    button(btnEdit, "btnEdit", QStringLiteral("Configure..."));
    button(BtnMoveUp, "BtnMoveUp", QStringLiteral("Move Up"));
    button(btnMoveDown, "btnMoveDown", QStringLiteral("Move Down"));
    button(btnOK, "btnOK", QStringLiteral("OK"));
    button(Command1, "Command1", QStringLiteral("Cancel"));
    btnOK->setDefault(true);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {btnAdd, BtnRemove, btnEdit, BtnMoveUp, btnMoveDown})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(Command1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(lstModules, 1);
    layout->addLayout(buttons);
    resize(520, 260);

    connect(btnAdd, &QPushButton::clicked, this, &frmServer::btnAdd_Click);
    connect(BtnRemove, &QPushButton::clicked, this, &frmServer::BtnRemove_Click);
    connect(btnEdit, &QPushButton::clicked, this, &frmServer::btnEdit_Click);
    connect(BtnMoveUp, &QPushButton::clicked, this, &frmServer::BtnMoveUp_Click);
    connect(btnMoveDown, &QPushButton::clicked, this, &frmServer::btnMoveDown_Click);
    connect(btnOK, &QPushButton::clicked, this, &frmServer::btnOK_Click);
    connect(Command1, &QPushButton::clicked, this, &frmServer::Command1_Click);
}

void frmServer::EditModuleList(ModuleList& modules, bool& saveChanges) {
    mModules = &modules;
    FillList();
    exec();
    mModules = nullptr;
    saveChanges = mChanges;
}

void frmServer::FillList() {
    lstModules->clear();
    if (!mModules)
        return;
    for (std::size_t i = 0; i < mModules->size(); ++i) {
        const ModulePtr& m = (*mModules)[i];
        if (!m)
            continue;
        QString text;
        try {
            text = m->Description();
        } catch (const std::exception& e) {
            text = tr("(amplifier %1: %2)").arg(i + 1).arg(QString::fromUtf8(e.what()));
        }
        auto* line = new QListWidgetItem(text, lstModules);
        line->setData(kPositionRole, static_cast<int>(i));
    }
    lstModules->setCurrentRow(-1);
    lstModules->clearSelection();
    // Entries past the limit are not read back, so the list may not grow past it.
    const bool full = mModules->size() >= static_cast<std::size_t>(ServerObject::kMaxModules);
    btnAdd->setEnabled(!full);
    btnAdd->setToolTip(full ? tr("The list holds at most %1 amplifiers.")
                                  .arg(ServerObject::kMaxModules)
                            : QString());
}

int frmServer::selectedModule() const {
    const auto selected = lstModules->selectedItems();
    if (selected.isEmpty() || !mModules)
        return -1;
    return selected.first()->data(kPositionRole).toInt();
}

void frmServer::editModule(int position) {
    try {
        (*mModules)[static_cast<std::size_t>(position)]->EditProperties();
    } catch (const std::exception& e) {
        QMessageBox::warning(this, windowTitle(),
                             tr("The amplifier's settings could not be edited: %1")
                                 .arg(QString::fromUtf8(e.what())));
    }
}

void frmServer::btnAdd_Click() {
    if (!mModules || !mMakeModule)
        return;
    ModulePtr module;
    try {
        module = mMakeModule();
    } catch (const std::exception&) {
    }
    if (!module)
        return;
    mModules->push_back(module);
    // Appended whatever the user does in its settings dialog: cancelling keeps the defaults.
    editModule(static_cast<int>(mModules->size()) - 1);
    FillList();
    mChanges = true;
}

void frmServer::btnEdit_Click() {
    const int n = selectedModule();
    if (n < 0)
        return;
    editModule(n);
    mChanges = true; // the line keeps its old text until the next refill
}

void frmServer::BtnRemove_Click() {
    const int n = selectedModule();
    if (n < 0)
        return;
    mModules->erase(mModules->begin() + n);
    FillList();
    mChanges = true;
}

void frmServer::BtnMoveUp_Click() {
    const int n = selectedModule();
    if (n < 1)
        return;
    std::swap((*mModules)[static_cast<std::size_t>(n)],
              (*mModules)[static_cast<std::size_t>(n - 1)]);
    FillList();
    mChanges = true;
}

void frmServer::btnMoveDown_Click() {
    const int n = selectedModule();
    if (n < 0 || n + 1 >= static_cast<int>(mModules->size()))
        return;
    std::swap((*mModules)[static_cast<std::size_t>(n)],
              (*mModules)[static_cast<std::size_t>(n + 1)]);
    FillList();
    mChanges = true;
}

void frmServer::btnOK_Click() {
    accept();
} // leaves the changes flag as it is

void frmServer::Command1_Click() {
    reject();
}

void frmServer::reject() {
    mChanges = false;
    QDialog::reject();
}

} // namespace tarvex
