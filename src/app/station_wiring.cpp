#include "station_wiring.h"

#include "station/amplifier_items.h"
#include "station/rigctld_client.h"
#include "station/station_links.h"
#include "ui/frm_main.h"
#include "ui/frm_station_links.h"

#include <QAction>
#include <QCommandLineParser>
#include <QHostAddress>
#include <QMenu>
#include <QSettings>

#include "core/user_settings.h"

#include <cstdio>

namespace tarvex {

namespace {

const QString kRigctld = QStringLiteral("rigctld");
const QString kRigPoll = QStringLiteral("rig-poll");
const QString kAmpctldPort = QStringLiteral("ampctld-port");
const QString kAmpctldBind = QStringLiteral("ampctld-bind");


void warnIfExposed(const StationOptions& o) {
    if (o.ampctldPort != 0 && !QHostAddress(o.bind).isLoopback())
        std::fprintf(stderr,
                     "tarvex: the amplifier server listens on %s: anyone who reaches it can "
                     "switch the amplifier (the protocol has no password)\n",
                     qPrintable(o.bind));
}

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

void StationWiring::addOptions(QCommandLineParser& parser) {
    parser.addOption({kRigctld,
                      QStringLiteral("Follow the radio served by the rigctld at HOST:PORT."),
                      QStringLiteral("HOST:PORT")});
    parser.addOption({kRigPoll,
                      QStringLiteral("Ask rigctld for frequency and PTT every MS (default 250)."),
                      QStringLiteral("MS")});
    parser.addOption({kAmpctldPort,
                      QStringLiteral("Serve the amplifiers in ampctld's protocol on TCP port N "
                                     "(the second on N+1, ...); 0 for off."),
                      QStringLiteral("N")});
    parser.addOption({kAmpctldBind,
                      QStringLiteral("Listen for ampctld clients on ADDRESS (default "
                                     "127.0.0.1; the protocol has no password)."),
                      QStringLiteral("ADDRESS")});
}

bool StationWiring::readOptions(const QCommandLineParser& parser, StationOptions& options,
                                QString* error) {
    QSettings settings = userSettings();
    options = StationOptions::load(settings);
    if (parser.isSet(kRigctld)) {
        const auto hp = StationOptions::parseHostPort(parser.value(kRigctld), error);
        if (!hp)
            return false;
        std::tie(options.rigHost, options.rigPort) = *hp;
    }
    if (parser.isSet(kRigPoll)) {
        const auto ms = StationOptions::parsePollMs(parser.value(kRigPoll), error);
        if (!ms)
            return false;
        options.pollMs = *ms;
    }
    if (parser.isSet(kAmpctldPort)) {
        const auto port = StationOptions::parsePort(parser.value(kAmpctldPort), error);
        if (!port)
            return false;
        options.ampctldPort = *port;
    }
    if (parser.isSet(kAmpctldBind)) {
        *error = StationOptions::checkBind(parser.value(kAmpctldBind));
        if (!error->isEmpty())
            return false;
        options.bind = parser.value(kAmpctldBind).trimmed();
    }
    warnIfExposed(options);
    return true;
}

StationWiring::StationWiring(frmMain& window, const StationOptions& options) : mWindow(window) {
    if (window.server()) {
        mLinks = std::make_unique<StationLinks>(*window.server(), RigctldClient::factory());
        // A lost radio shows in the window, not only in the Station Links dialog.
        QObject::connect(mLinks.get(), &StationLinks::noticeChanged, &window,
                         [this] { mWindow.showStatus(mLinks->notice()); });
        mLinks->apply(options);
        // The station log has them on the terminal already; the window tells the user.
        for (const QString& problem : mLinks->problems())
            window.reportProblem(problem);
    }
    auto* control = window.findChild<QMenu*>(QStringLiteral("mnuServer"));
    auto* separator = window.findChild<QAction*>(QStringLiteral("mnuSep"));
    if (!control)
        return;
    auto* action = new QAction(QObject::tr("&Station Links..."), control);
    action->setObjectName(QStringLiteral("mnuStationLinks"));
    control->insertAction(separator, action);
    QObject::connect(action, &QAction::triggered, action, [this] { mnuStationLinks_Click(); });
}

StationWiring::~StationWiring() {
    delete mDialog;
}

void StationWiring::mnuStationLinks_Click() {
    if (!mLinks)
        return;
    if (!mDialog) {
        frmStationLinks::Hooks hooks;
        hooks.current = [this] {
            const StationOptions& o = mLinks->options();
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
            mLinks->apply(*options);
            warnIfExposed(*options);
            return mLinks->problems().join(u'\n');
        };
        hooks.status = [this] { return mLinks->status(); };
        mDialog = new frmStationLinks(std::move(hooks), &mWindow);
    }
    mDialog->show();
    mDialog->raise();
    mDialog->activateWindow();
}

} // namespace tarvex
