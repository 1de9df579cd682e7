#pragma once

#include "frm_about.h"
#include "frm_alarms.h"
#include "frm_manual.h"
#include "panel_registry.h"

#include "core/hub.h"
#include "core/module.h"
#include "core/server_object.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;

namespace tarvex {

class AlarmFollower;

// The main window: restores its placement, owns and starts the server object, hosts the panels
// of every running driver in columns and sizes itself to them. Closing it (or E&xit) saves the
// placement and stops the server.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    // Loading happens here: placement restored, server created and started (which builds the
    // panels through ViewCreate). The registry is copied.
    frmMain(ServerObject::DriverFactory driverFactory, ServerObject::ListEditor listEditor,
            PanelRegistry panels, const QString& dataFilePath = QStringLiteral("server.dat"),
            QWidget* parent = nullptr);
    ~frmMain() override;

    // The server object's view host.
    void ViewCreate(const ModuleList& mcollModules, const HubPtr& theHub);
    void ViewAdd(const QString& className, std::int16_t index);
    void ViewDestroy();
    void ViewLayout();

    // The hosted panels in creation order (empty when there are none).
    QList<QWidget*> views() const;
    const HubPtr& hub() const { return mHub; }
    // Null once the window has been closed.
    ServerObject* server() const { return mServer; }
    QWidget* clientArea() const { return mClient; }
    // Height of the area below the menu bar, in pixels.
    int clientHeight() const;
    std::int16_t moduleCount() const { return mModuleCount; }
    // Null until "About..." was first chosen.
    frmAbout* aboutBox() const { return mAbout; }
    // Null until "&Manual" was first chosen.
    frmManual* manual() const { return mManual; }

    // The diagnostic views the user opened from "&View" on the current hub.
    const std::vector<std::shared_ptr<Module>>& diagnosticViews() const { return mDiagnostics; }

    // Shows a problem of a part that runs beside the server (the history), as its own errors.
    void reportProblem(const QString& message) { mServer_errorOccurred(message); }
    // A line under the panels for a condition that lasts (a lost radio link); empty text takes
    // it away. The window grows by its height, so no panel is covered.
    void showStatus(const QString& text);

    // Peak marks on every bar gauge ("&Peak Hold" in "&View", remembered per user).
    bool peakHold() const;
    void setPeakHold(bool on);
    // "&Acknowledge Alarms": acknowledges every standing alarm.
    void acknowledgeAlarms();
    // Null until "&Alarms..." was first chosen.
    frmAlarms* alarmsDialog() const { return mAlarms; }

signals:
    // "&History" was chosen; whoever keeps the history opens its window.
    void historyRequested();
    // The Alarms dialog saved new levels; whoever runs the alarm monitors applies them.
    void alarmSettingsChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void loadPlacement();
    void savePlacement() const;
    void mnuHelpAbout_Click();
    void mnuHelpManual_Click();
    void mnuViewTrail_Click();
    void mnuViewInspector_Click();
    // Starts a view on the current hub and keeps it until it or the server closes.
    template <typename View> void openDiagnostic();
    void closeDiagnostics();
    void mServer_errorOccurred(const QString& message);
    // The alarms of the amplifiers in the window's title, a sound when one rises.
    void followAlarms();
    void showAlarms();
    void mnuAlarms_Click();
    void mnuAllStandby_Click();

    PanelRegistry mPanels;
    QWidget* mClient = nullptr;
    QPointer<ServerObject> mServer;
    QPointer<frmAbout> mAbout;
    QPointer<frmManual> mManual;

    HubPtr mHub;
    std::int16_t mNextView = 0;
    std::optional<QList<QPointer<QWidget>>> mViews;
    std::int16_t mModuleCount = 0;
    int mLayoutDepth = 0;
    QSize mLaidOutFrame; // what the frame added to the size at the last layout
    std::vector<std::shared_ptr<Module>> mDiagnostics;

    QMenu* mnuServer = nullptr;
    QAction* mnuEdit = nullptr;
    QAction* mnuSep = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuView = nullptr;
    QAction* mnuViewTrail = nullptr;
    QAction* mnuViewInspector = nullptr;
    QAction* mnuViewHistory = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpAbout = nullptr;
    QAction* mnuHelpManual = nullptr;
    QLabel* lblStatus = nullptr; // made when first needed

    QAction* mnuAlarms = nullptr;
    QAction* mnuAllStandby = nullptr;
    QAction* mnuAcknowledge = nullptr;
    QAction* mnuViewPeakHold = nullptr;
    QPointer<frmAlarms> mAlarms;
    std::vector<AlarmFollower*> mAlarmFollowers; // one per module position
    std::vector<int> mAlarmLevels;               // as last shown, to hear a rise
};

} // namespace tarvex
