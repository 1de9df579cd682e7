// tarvex-ampsim: simulated amplifiers on pseudo-terminals, for demos and for tests that need
// a real serial device. Prints one device path per amplifier and runs until terminated.
#include "sim/amp_simulator.h"
#include "sim/console_reader.h"
#include "sim/fault_request.h"
#include "sim/meter_request.h"
#include "sim/signal_watcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using Amps = std::vector<std::unique_ptr<tarvex::sim::AmpSimulator>>;

int intOption(const QCommandLineParser& parser, const QString& name, int min, bool* ok) {
    const int value = parser.value(name).toInt(ok);
    *ok = *ok && value >= min;
    return value;
}

// Every amplifier reports the fault, at once or after the asked delay.
void schedule(const tarvex::sim::FaultRequest& request, const Amps& amps) {
    QTimer::singleShot(request.afterMs, QCoreApplication::instance(), [&amps, request] {
        for (const auto& amp : amps)
            amp->model().injectFault(request.code);
        QTextStream(stderr) << "tarvex-ampsim: fault " << request.code << " reported\n";
    });
}

} // namespace

int main(int argc, char* argv[]) {
    // Before QCoreApplication, so no thread Qt starts can take the termination signals.
    const bool blocked = tarvex::sim::SignalWatcher::blockTerminationSignals();

    QCoreApplication app(argc, argv);
    tarvex::sim::SignalWatcher watcher;
    QCoreApplication::setApplicationName(QStringLiteral("tarvex-ampsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated amplifiers on pseudo-terminals. Prints each device path.\n"
        "While running, these lines on standard input act on every amplifier:\n"
        "  fault CODE[@SECONDS]  report that fault code (at once, or after that many seconds)\n"
        "  mute                  stop answering: commands are still heard and obeyed, but\n"
        "                        nothing is sent, as with a broken receive wire\n"
        "  unmute                answer again\n"
        "  meter F R I G P       meter these digits (0..9 each: forward, reflected, input,\n"
        "                        grid, plate) while operating. With the built-in calibration\n"
        "                        forward is 30 x F^2 W, reflected 3.25 x R^2 W, input I^2 W:\n"
        "                        'meter 8 3 4 3 5' reads 1920 W at SWR 1.3:1,\n"
        "                        'meter 5 7 4 3 5' 750 W at 2.7:1, 'meter 3 5 4 3 5' 270 W\n"
        "                        at 3.4:1, 'meter 4 7 4 3 5' 480 W at 3.7:1"));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("link"),
         QStringLiteral("Symlink to the device (with --count above 1: PATH0, PATH1, ...)."),
         QStringLiteral("PATH")},
        {QStringLiteral("count"), QStringLiteral("Number of amplifiers."), QStringLiteral("N"),
         QStringLiteral("1")},
        {QStringLiteral("warmup"), QStringLiteral("Warm-up time in ms."), QStringLiteral("MS"),
         QString::number(tarvex::sim::AmpModel::kDefaultWarmupMs)},
        {QStringLiteral("meter-interval"),
         QStringLiteral("Metering line interval in ms while operating; 0 for none."),
         QStringLiteral("MS"), QStringLiteral("500")},
        {QStringLiteral("baud"),
         QStringLiteral("Pace output at N baud; 'line' (the default) for the speed and stop "
                        "bits the client sets on the port; 0 for none."),
         QStringLiteral("N"), QStringLiteral("line")},
        {QStringLiteral("fault"),
         QStringLiteral("Every amplifier reports fault CODE, SECONDS after start (0 if left "
                        "out), e.g. 12@30. Repeatable."),
         QStringLiteral("CODE[@SECONDS]")},
        {QStringLiteral("trace"),
         QStringLiteral("Append every command line received to FILE, one a line, flushed as it "
                        "comes (with --count above 1: FILE0, FILE1, ...)."),
         QStringLiteral("FILE")},
    });
    parser.process(app);

    bool ok = true;
    bool all = true;
    const int count = intOption(parser, QStringLiteral("count"), 1, &ok);
    all = all && ok;
    tarvex::sim::AmpSimulator::Options options;
    options.warmupMs = intOption(parser, QStringLiteral("warmup"), 0, &ok);
    all = all && ok;
    options.meterIntervalMs = intOption(parser, QStringLiteral("meter-interval"), 0, &ok);
    all = all && ok;
    if (parser.value(QStringLiteral("baud")) == QLatin1String("line"))
        options.baud = tarvex::sim::PtyPort::kLineSpeed;
    else
        options.baud = intOption(parser, QStringLiteral("baud"), 0, &ok);
    all = all && ok;
    QTextStream err(stderr);
    if (!all) {
        err << "tarvex-ampsim: --count must be at least 1, other numbers 0 or more\n";
        return 2;
    }
    std::vector<tarvex::sim::FaultRequest> faults;
    for (const QString& text : parser.values(QStringLiteral("fault"))) {
        const auto request = tarvex::sim::parseFaultRequest(text);
        if (!request) {
            err << "tarvex-ampsim: --fault " << text << ": expected CODE or CODE@SECONDS\n";
            return 2;
        }
        faults.push_back(*request);
    }

    const QString link = parser.value(QStringLiteral("link"));
    const QString trace = parser.value(QStringLiteral("trace"));
    // One name for one amplifier; numbered from 0 for several.
    const auto nth = [count](const QString& path, int i) {
        return path.isEmpty() || count == 1 ? path : path + QString::number(i);
    };
    Amps amps;
    QTextStream out(stdout);
    for (int i = 0; i < count; ++i) {
        auto amp = std::make_unique<tarvex::sim::AmpSimulator>();
        options.linkPath = nth(link, i);
        if (!trace.isEmpty() && !amp->traceTo(nth(trace, i))) {
            err << "tarvex-ampsim: " << amp->errorString() << '\n';
            return 1;
        }
        if (!amp->start(options)) {
            err << "tarvex-ampsim: " << amp->errorString() << '\n';
            return 1; // the simulators already started remove their links as they go
        }
        out << amp->devicePath() << '\n';
        amps.push_back(std::move(amp));
    }
    out.flush();
    for (const auto& request : faults)
        schedule(request, amps);

    tarvex::sim::ConsoleReader console(STDIN_FILENO);
    QObject::connect(
        &console, &tarvex::sim::ConsoleReader::lineRead, &app, [&amps](const QString& line) {
            if (line.isEmpty())
                return;
            const bool mute = line.compare(u"mute", Qt::CaseInsensitive) == 0;
            if (mute || line.compare(u"unmute", Qt::CaseInsensitive) == 0) {
                for (const auto& amp : amps)
                    amp->setMuted(mute);
                QTextStream(stderr) << "tarvex-ampsim: " << (mute ? "muted" : "answering") << '\n';
            } else if (const auto request = tarvex::sim::parseConsoleLine(line)) {
                schedule(*request, amps);
            } else if (const auto digits = tarvex::sim::parseMeterLine(line)) {
                for (const auto& amp : amps)
                    amp->model().setMeterDigits(*digits);
                QTextStream(stderr)
                    << "tarvex-ampsim: metering " << line.simplified().mid(6) << '\n';
            } else {
                QTextStream(stderr)
                    << "tarvex-ampsim: not understood: " << line
                    << " (try: fault CODE[@SECONDS], mute, unmute, meter F R I G P)\n";
            }
        });

    if (!blocked || !watcher.isValid())
        err << "tarvex-ampsim: cannot watch SIGTERM/SIGINT; links stay behind when killed\n";
    QObject::connect(&watcher, &tarvex::sim::SignalWatcher::terminationRequested, &app,
                     [] { QCoreApplication::quit(); });
    const int rc = app.exec();
    amps.clear(); // closes each port and removes its link
    return rc;
}
