#include "station_links.h"

#include "ampctl_server.h"
#include "band_follower.h"
#include "band_switch.h"
#include "rf_watch.h"
#include "rig_items.h"
#include "rig_notice.h"
#include "station_log.h"

#include <algorithm>

namespace tarvex {

struct StationLinks::Amplifier {
    std::unique_ptr<BandSwitch> bands;
    std::unique_ptr<BandFollower> follower;
    std::unique_ptr<AmpctlServer> server;
};

StationLinks::StationLinks(ServerObject& server, RigClientFactory rigFactory, QObject* parent)
    : QObject(parent), mServer(&server), mRigFactory(std::move(rigFactory)) {
    connect(&server, &ServerObject::Started, this, &StationLinks::attach);
    connect(&server, &ServerObject::Stopping, this, &StationLinks::detach);
}

StationLinks::~StationLinks() {
    detach();
}

void StationLinks::apply(const StationOptions& options) {
    if (options == mOptions && (mHub || !mServer || !mServer->hub()))
        return;
    detach();
    const bool rigChanged =
        options.rigAddress() != mOptions.rigAddress() || options.pollMs != mOptions.pollMs;
    mOptions = options;
    bool startRig = false;
    if (rigChanged || !mRig) {
        const bool hadNotice = mNotice && !mNotice->text().isEmpty();
        mNotice.reset();
        mRig.reset();
        if (mOptions.rigPort != 0 && mRigFactory) {
            mRig = mRigFactory(mOptions.rigHost, mOptions.rigPort,
                               std::chrono::milliseconds(mOptions.pollMs));
            connect(mRig.get(), &RigClient::stateChanged, this, &StationLinks::statusChanged);
            mNotice = std::make_unique<RigNotice>(*mRig);
            connect(mNotice.get(), &RigNotice::changed, this, &StationLinks::noticeChanged);
            startRig = true;
        }
        if (hadNotice)
            emit noticeChanged(); // about a link that is gone
    }
    attach();
    // Once the servers have their ports: the rig link's connection takes a local port of the
    // system's choosing, which must not be one of theirs.
    if (startRig)
        mRig->start();
}

QString StationLinks::notice() const {
    return mNotice ? mNotice->text() : QString();
}

void StationLinks::attach() {
    detach();
    if (!mServer || !mServer->hub() || !mServer->modules())
        return;
    mHub = mServer->hub();
    const ModuleList* modules = mServer->modules();
    if (mRig)
        mRigItems = std::make_unique<RigItems>(mHub, *mRig);
    else
        RigItems::clear(mHub); // nothing may go on reading a removed link's last PTT
    const QHostAddress bind(mOptions.bind);
    int served = 0;
    for (std::size_t i = 0; i < modules->size(); ++i) {
        if (!(*modules)[i] || !(*modules)[i]->isAmplifierDriver())
            continue;
        const int index = static_cast<int>(i);
        auto amp = std::make_unique<Amplifier>();
        amp->bands = std::make_unique<BandSwitch>(AmplifierItems(mHub, index));
        if (mRig && mOptions.follows(index + 1)) {
            amp->follower = std::make_unique<BandFollower>(mHub, *amp->bands);
            amp->follower->evaluate();
        }
        if (mOptions.ampctldPort != 0) {
            const int port = mOptions.ampctldPort + served++;
            auto server = std::make_unique<AmpctlServer>(AmplifierItems(mHub, index), *amp->bands);
            QString error;
            if (port > 65535 || !server->listen(bind, static_cast<quint16>(port), &error)) {
                if (error.isEmpty())
                    error = QStringLiteral("no port left for amplifier %1").arg(index + 1);
                qCWarning(lcStation).noquote() << error;
                mProblems << error;
            } else {
                connect(server.get(), &AmpctlServer::clientsChanged, this,
                        &StationLinks::statusChanged);
                amp->server = std::move(server);
            }
        }
        mAmplifiers.push_back(std::move(amp));
    }
    emit statusChanged();
}

void StationLinks::detach() {
    mAmplifiers.clear();
    mRigItems.reset();
    mHub.reset();
    mProblems.clear();
}

QString StationLinks::status() const {
    QStringList lines;
    if (!mRig) {
        lines << tr("Radio: not followed");
    } else {
        lines
            << tr("Radio: rigctld at %1, %2").arg(mOptions.rigAddress(), RigItems::linkText(*mRig));
        if (mRigItems && mRig->state() == RigClient::State::Up) {
            const ItemPtr hz = mHub->GetItem(QStringLiteral("rig.freq"));
            std::int32_t ptt = static_cast<int>(RigPtt::Unknown);
            mHub->GetItem(QStringLiteral("rig.ptt"))->Value().tryToLong(ptt);
            const QString transmit[] = {tr("receiving"), tr("transmitting"),
                                        tr("transmit state unknown"),
                                        tr("transmit state not reported")};
            lines << tr("Radio frequency: %1 MHz, %2")
                         .arg(hz->Value().toDouble() / 1e6, 0, 'f', 6)
                         .arg(transmit[std::clamp(ptt, 0, 3)]);
            if (ptt == static_cast<int>(RigPtt::NotReported))
                lines << tr("The radio cannot report transmit: bands follow it after %1 s "
                            "without forward power")
                             .arg(RfWatch::kHold.count() / 1000.0);
        }
    }
    for (const auto& amp : mAmplifiers) {
        if (amp->server)
            lines << tr("%1: served on %2 port %3, %n client(s)", nullptr,
                        amp->server->clientCount())
                         .arg(amp->bands->amplifier().title(), mOptions.bind)
                         .arg(amp->server->port());
    }
    if (mOptions.ampctldPort == 0)
        lines << tr("Amplifier server: off");
    lines << mProblems;
    return lines.join(u'\n');
}

} // namespace tarvex
