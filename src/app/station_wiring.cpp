#include "station_wiring.h"

#include "user_sink.h"

#include "core/user_settings.h"
#include "station/rigctld_client.h"
#include "station/station_links.h"

#include <QCommandLineParser>
#include <QHostAddress>
#include <QSettings>

#include <cstdio>

namespace tarvex {

namespace {

const QString kRigctld = QStringLiteral("rigctld");
const QString kRigPoll = QStringLiteral("rig-poll");
const QString kAmpctldPort = QStringLiteral("ampctld-port");
const QString kAmpctldBind = QStringLiteral("ampctld-bind");

} // namespace

void StationWiring::warnIfExposed(const StationOptions& o) {
    if (o.ampctldPort != 0 && !QHostAddress(o.bind).isLoopback())
        std::fprintf(stderr,
                     "tarvex: the amplifier server listens on %s: anyone who reaches it can "
                     "switch the amplifier (the protocol has no password)\n",
                     qPrintable(o.bind));
}

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

StationWiring::StationWiring(ServerObject& server, UserSink& sink, const StationOptions& options)
    : mSink(sink), mLinks(std::make_unique<StationLinks>(server, RigctldClient::factory())) {
    // A lost radio is told, not only shown in the Station Links dialog.
    QObject::connect(mLinks.get(), &StationLinks::noticeChanged, mLinks.get(),
                     [this] { mSink.status(mLinks->notice()); });
    mLinks->apply(options);
    for (const QString& problem : mLinks->problems())
        mSink.problem(problem);
}

StationWiring::~StationWiring() = default;

} // namespace tarvex
