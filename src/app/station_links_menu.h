#pragma once

#include <QPointer>

namespace tarvex {

class frmMain;
class frmStationLinks;
class StationLinks;

// "&Station Links..." in the main window's Control menu: the dialog that shows how the links
// are doing and changes them, keeping its choices in the per-user settings.
class StationLinksMenu {
public:
    StationLinksMenu(frmMain& window, StationLinks& links);
    ~StationLinksMenu();
    StationLinksMenu(const StationLinksMenu&) = delete;
    StationLinksMenu& operator=(const StationLinksMenu&) = delete;

private:
    void mnuStationLinks_Click();

    frmMain& mWindow;
    StationLinks& mLinks;
    QPointer<frmStationLinks> mDialog;
};

} // namespace tarvex
