#include "frm_main.h"

#include "frame_pacer.h"
#include "program_icon.h"
#include "window_placement.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

namespace tarvex {

namespace {

// Where the window opens before it was ever closed, in twips.
const QString kPlacementName = QStringLiteral("Main");
constexpr Placement kDefaultPlacement{1000, 1000, 6500, 6500};

} // namespace

frmMain::frmMain(ServerObject::DriverFactory driverFactory, ServerObject::ListEditor listEditor,
                 PanelRegistry panels, const QString& dataFilePath, QWidget* parent)
    : QMainWindow(parent), mPanels(std::move(panels)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tarvex"));
    setWindowIcon(programIcon());

    // Panels sit at fixed places on a bare client area; with no panels it may shrink to nothing.
    mClient = new QWidget(this);
    mClient->setObjectName(QStringLiteral("client"));
    mClient->setMinimumSize(0, 0);
    setCentralWidget(mClient);
    createMenus();
    // Metering lines change the panels hundreds of times a second; the screen shows sixty.
    new FramePacer(this);

    loadPlacement();

    mServer = new ServerObject(
        {std::move(driverFactory),
         [this](const ModuleList& modules, const HubPtr& hub) { ViewCreate(modules, hub); },
         std::move(listEditor)},
        dataFilePath, this);
    connect(mServer, &ServerObject::errorOccurred, this, &frmMain::mServer_errorOccurred);
    connect(mnuEdit, &QAction::triggered, mServer, &ServerObject::mnuEdit_Click);
    mServer->StartServer();
}

frmMain::~frmMain() {
    // Destroyed without being closed (tests, an aborted start): still stop the drivers, but
    // without reporting into a window that is going away.
    closeDiagnostics();
    if (mServer) {
        mServer->disconnect(this);
        mServer->StopServer();
    }
}

void frmMain::createMenus() {
    mnuServer = menuBar()->addMenu(tr("&Control"));
    mnuServer->setObjectName(QStringLiteral("mnuServer"));
    mnuEdit = mnuServer->addAction(tr("&Configure..."));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuEdit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuAlarms = mnuServer->addAction(tr("&Alarms..."));
    mnuAlarms->setObjectName(QStringLiteral("mnuAlarms"));
    connect(mnuAlarms, &QAction::triggered, this, &frmMain::mnuAlarms_Click);
    mnuAllStandby = mnuServer->addAction(tr("All to &Standby"));
    mnuAllStandby->setObjectName(QStringLiteral("mnuAllStandby"));
    // One key, no chord: for the moment when something is wrong.
    mnuAllStandby->setShortcut(QKeySequence(Qt::Key_F12));
    connect(mnuAllStandby, &QAction::triggered, this, &frmMain::mnuAllStandby_Click);
    mnuAcknowledge = mnuServer->addAction(tr("&Acknowledge Alarms"));
    mnuAcknowledge->setObjectName(QStringLiteral("mnuAcknowledge"));
    mnuAcknowledge->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(mnuAcknowledge, &QAction::triggered, this, &frmMain::acknowledgeAlarms);
    mnuSep = mnuServer->addSeparator();
    mnuSep->setObjectName(QStringLiteral("mnuSep"));
    mnuExit = mnuServer->addAction(tr("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);

    // Nothing else opens the diagnostic views, and an operator needs them to see every value.
    mnuView = menuBar()->addMenu(tr("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuViewTrail = mnuView->addAction(tr("Event &Trail"));
    mnuViewTrail->setObjectName(QStringLiteral("mnuViewTrail"));
    connect(mnuViewTrail, &QAction::triggered, this, &frmMain::mnuViewTrail_Click);
    mnuViewInspector = mnuView->addAction(tr("Property &Inspector"));
    mnuViewInspector->setObjectName(QStringLiteral("mnuViewInspector"));
    connect(mnuViewInspector, &QAction::triggered, this, &frmMain::mnuViewInspector_Click);
    mnuViewHistory = mnuView->addAction(tr("&History"));
    mnuViewHistory->setObjectName(QStringLiteral("mnuViewHistory"));
    connect(mnuViewHistory, &QAction::triggered, this, &frmMain::historyRequested);
    mnuViewPeakHold = mnuView->addAction(tr("&Peak Hold"));
    mnuViewPeakHold->setObjectName(QStringLiteral("mnuViewPeakHold"));
    mnuViewPeakHold->setCheckable(true);
    mnuViewPeakHold->setChecked(peakHold());
    connect(mnuViewPeakHold, &QAction::toggled, this, &frmMain::setPeakHold);

    mnuHelp = menuBar()->addMenu(tr("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpManual = mnuHelp->addAction(tr("&Manual"));
    mnuHelpManual->setObjectName(QStringLiteral("mnuHelpManual"));
    mnuHelpManual->setShortcut(QKeySequence::HelpContents);
    connect(mnuHelpManual, &QAction::triggered, this, &frmMain::mnuHelpManual_Click);
    mnuHelpAbout = mnuHelp->addAction(tr("About..."));
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

void frmMain::loadPlacement() {
    if (const auto placement = WindowPlacement::saved(kPlacementName, kDefaultPlacement))
        WindowPlacement::restore(this, *placement);
}

void frmMain::savePlacement() const {
    WindowPlacement::save(this, kPlacementName);
}

void frmMain::closeEvent(QCloseEvent* event) {
    savePlacement();
    if (mAbout)
        mAbout->hide();
    if (mManual)
        mManual->hide();
    closeDiagnostics();
    if (ServerObject* server = mServer) {
        mServer = nullptr;
        server->StopServer();
        // Later, not now: a close can arrive while the server is inside its configure command.
        server->disconnect(this);
        server->deleteLater();
    }
    event->accept();
}

void frmMain::mnuHelpAbout_Click() {
    if (!mAbout)
        mAbout = new frmAbout(this);
    if (mServer)
        mAbout->setDataFolder(QFileInfo(mServer->dataFilePath()).absolutePath());
    mAbout->show();
    mAbout->raise();
    mAbout->activateWindow();
}

void frmMain::mnuHelpManual_Click() {
    if (!mManual)
        mManual = new frmManual(this);
    mManual->show();
    mManual->raise();
    mManual->activateWindow();
}

void frmMain::mServer_errorOccurred(const QString& message) {
    // Not modal: the serial ports keep being served while the user reads it.
    auto* box =
        new QMessageBox(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("msgError"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

} // namespace tarvex
