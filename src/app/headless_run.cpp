#include "headless_run.h"

#include "exit_status.h"
#include "run_services.h"

#include "core/data_file.h"
#include "core/printable.h"
#include "core/server_object.h"
#include "remote/remote_panel.h"
#include "station/station_links.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace tarvex {

namespace {

int say(int status, const QString& why) {
    std::fprintf(stderr, "tarvex: %s\n", qPrintable(printable(why)));
    return status;
}

// Why there is no amplifier to serve, on standard error; the exit status.
int noAmplifiers(const QString& where, bool perUser) {
    QString problem;
    const auto image = data_file::readImage(where, &problem);
    if (!image && QFileInfo::exists(where))
        return say(exit_status::kFileProblem,
                   HeadlessRun::tr("no amplifier to serve: %1 could not be read (%2)")
                       .arg(where, problem));
    const auto record = image ? data_file::decodeRecord(*image) : std::nullopt;
    std::int64_t declared = 0;
    if (record)
        ServerObject::readModuleList(*record, {}, &declared);
    // Bytes that hold no list, or a list that promises amplifiers it does not give.
    if ((image && !image->isEmpty() && !record) || declared != 0)
        return say(exit_status::kFileProblem,
                   HeadlessRun::tr("no amplifier to serve: %1 is damaged").arg(where));
    return say(exit_status::kNothingToServe,
               HeadlessRun::tr(
                   "no amplifier to serve: %1 lists none; add one with %2--add-amplifier NAME,PORT")
                   .arg(where, perUser ? QStringLiteral("--user-data ") : QString()));
}

} // namespace

HeadlessRun::HeadlessRun(RunOptions options)
    : mOptions(std::move(options)), mDrivers(mOptions.ports) {
    connect(&mSignalClose, &SignalClose::received, this, &HeadlessRun::signalClose_received);
}

HeadlessRun::~HeadlessRun() {
    if (mServer)
        mServer->StopServer();
    const bool ran = mServices != nullptr;
    mServices.reset(); // the history's last write
    mServer.reset();
    if (ran)
        qCInfo(lcEvents).noquote() << tr("Stopped");
}

std::optional<int> HeadlessRun::start() {
    // server.dat named in full: the log is read far from it.
    if (QString why; !mOptions.data.prepare(&why))
        return say(exit_status::kFileProblem, why);
    const QString dataFile =
        QFileInfo(mOptions.data.file(QStringLiteral("server.dat"))).absoluteFilePath();
    if (mOptions.demo) {
        if (const int status = mDrivers.startDemo(RunOptions::kDemoAmplifiers, dataFile))
            return status;
    }
    // No view host and no list editor: nothing shows the amplifiers, and the list is changed
    // with the list commands while the run is stopped.
    mServer = std::make_unique<ServerObject>(
        ServerObject::Collaborators{mDrivers.factory(), {}, {}}, dataFile);
    connect(mServer.get(), &ServerObject::errorOccurred, this,
            [this](const QString& message) { mSink.problem(message); });
    mEventLog.follow(*mServer);
    mServer->StartServer();
    if (mServer->modules()->empty())
        return noAmplifiers(dataFile, mOptions.data.perUser());

    mServices = std::make_unique<RunServices>(*mServer, mSink, mOptions);
    // Said on the log already; a restart may find the port free.
    if (const QStringList taken = mServices->station().links().problems(); !taken.isEmpty())
        return say(
            exit_status::kServiceUnavailable,
            tr("the station links could not start: %1").arg(taken.join(QStringLiteral("; "))));
    if (const QString refused = mServices->remote().problem(); !refused.isEmpty())
        return say(exit_status::kServiceUnavailable, refused);
    if (RemotePanel* panel = mServices->remote().panel()) {
        qCInfo(lcEvents).noquote()
            << tr("Remote panel listening at %1").arg(panel->url().toString());
        connect(panel, &RemotePanel::audit, this, [](const RemoteAuditEvent& event) {
            qCInfo(lcEvents).noquote()
                << tr("Remote panel: %1").arg(printable(RemoteWiring::describe(event)));
        });
    }
    return std::nullopt;
}

void HeadlessRun::signalClose_received() {
    // The loop ends; the drivers stop and the history is written as the run goes.
    QCoreApplication::exit(exit_status::kClean);
}

int runHeadless(int argc, char* argv[]) {
    // One line an event with its time; a journal adds its own, which is harmless.
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd HH:mm:ss.zzz} "
                                      "%{if-warning}warning: %{endif}"
                                      "%{if-critical}error: %{endif}"
                                      "%{if-fatal}fatal: %{endif}%{message}"));
    // The station links' own lines: the rig link's every failed retry would fill the log, and
    // what they must tell (a lost radio and its return, a port not served) the sink logs
    // once. The remote panel's news (where it listens, who did what) is logged here in the
    // log's own words; its warnings stay. QT_LOGGING_RULES still wins over this.
    QLoggingCategory::setFilterRules(QStringLiteral(
        "tarvex.station.info=false\ntarvex.station.warning=false\ntarvex.remote.info=false"));
    QCoreApplication app(argc, argv);
    setApplicationNames();
    std::optional<RunOptions> options = RunOptions::parse(QCoreApplication::arguments());
    if (!options)
        return exit_status::kInvalidUse;
    HeadlessRun run(std::move(*options));
    if (const std::optional<int> failed = run.start())
        return *failed;
    return QCoreApplication::exec();
}

} // namespace tarvex
