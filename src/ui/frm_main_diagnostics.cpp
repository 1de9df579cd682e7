// frmMain's "&View" menu: the event trail and the property inspector on the current hub.
#include "frm_main.h"

#include "core/guard.h"

#include "views/event_trail_view.h"
#include "views/property_list_view.h"

#include <QTimer>

#include <exception>

namespace tarvex {

template <typename View> void frmMain::openDiagnostic() {
    if (!mHub)
        return;
    auto view = std::make_shared<View>();
    try {
        view->Initialize(mHub, 0);
    } catch (const std::exception& e) {
        mServer_errorOccurred(
            tr("The view could not be opened: %1").arg(QString::fromUtf8(e.what())));
        return;
    }
    // A view the user closes has terminated itself; forget it once its close has finished.
    View* raw = view.get();
    connect(raw, &View::windowClosed, this, [this, raw] {
        QTimer::singleShot(0, this, [this, raw] {
            std::erase_if(mDiagnostics, [raw](const auto& v) { return v.get() == raw; });
        });
    });
    mDiagnostics.push_back(std::move(view));
}

void frmMain::mnuViewTrail_Click() {
    openDiagnostic<EventTrailView>();
}

void frmMain::mnuViewInspector_Click() {
    openDiagnostic<InspectorView>();
}

void frmMain::closeDiagnostics() {
    const auto views = std::move(mDiagnostics);
    mDiagnostics.clear();
    for (const auto& v : views) {
        guarded(lcUi(), "diagnostic view end", [&] { v->Terminate(); }); // it goes either way
    }
}

} // namespace tarvex
