#include "station_links_menu.h"

#include "station_wiring.h"

#include "core/user_settings.h"
#include "station/amplifier_items.h"
#include "station/station_links.h"
#include "ui/frm_main.h"
#include "ui/frm_station_links.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

namespace tarvex {

namespace {

// The dialog's choices as options; nullopt with *error when one is not valid.
std::optional<StationOptions> fromChoices(const frmStationLinks::Choices& c, QString* error) {
    StationOptions o;
    if (!c.rigctld.isEmpty()) {
        const auto hp = StationOptions::parseHostPort(c.rigctld, error);
        if (!hp)
            return std::nullopt;
        std::tie(o.rigHost, o.rigPort) = *hp;
    }
    o.pollMs = c.pollMs;
    o.ampctldPort = static_cast<quint16>(c.ampctldPort);
    if (*error = StationOptions::checkBind(c.bind); !error->isEmpty())
        return std::nullopt;
    o.bind = c.bind;
    for (qsizetype i = 0; i < c.follow.size(); ++i) {
        if (!c.follow[i])
            o.excluded << static_cast<int>(i + 1);
    }
    return o;
}

} // namespace

StationLinksMenu::StationLinksMenu(frmMain& window, StationLinks& links)
    : mWindow(window), mLinks(links) {
    auto* control = window.findChild<QMenu*>(QStringLiteral("mnuServer"));
    auto* separator = window.findChild<QAction*>(QStringLiteral("mnuSep"));
    if (!control)
        return;
    auto* action = new QAction(QObject::tr("&Station Links..."), control);
    action->setObjectName(QStringLiteral("mnuStationLinks"));
    control->insertAction(separator, action);
    QObject::connect(action, &QAction::triggered, action, [this] { mnuStationLinks_Click(); });
}

StationLinksMenu::~StationLinksMenu() {
    delete mDialog;
}

void StationLinksMenu::mnuStationLinks_Click() {
    if (!mDialog) {
        frmStationLinks::Hooks hooks;
        hooks.current = [this] {
            const StationOptions& o = mLinks.options();
            frmStationLinks::Choices c{o.rigAddress(), o.pollMs, o.ampctldPort, o.bind, {}, {}};
            const ModuleList* modules = mWindow.server() ? mWindow.server()->modules() : nullptr;
            for (std::size_t i = 0; modules && i < modules->size(); ++i) {
                c.amplifiers << AmplifierItems(mWindow.hub(), static_cast<int>(i)).title();
                c.follow << o.follows(static_cast<int>(i + 1));
            }
            return c;
        };
        hooks.apply = [this](const frmStationLinks::Choices& c) {
            QString error;
            const auto options = fromChoices(c, &error);
            if (!options)
                return error;
            QSettings settings = userSettings();
            options->save(settings);
            mLinks.apply(*options);
            StationWiring::warnIfExposed(*options);
            return mLinks.problems().join(u'\n');
        };
        hooks.status = [this] { return mLinks.status(); };
        mDialog = new frmStationLinks(std::move(hooks), &mWindow);
    }
    mDialog->show();
    mDialog->raise();
    mDialog->activateWindow();
}

} // namespace tarvex
