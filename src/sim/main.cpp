// tarvex-ampsim: simulated amplifiers on pseudo-terminals, for demos and for tests that need
// a real serial device. Prints one device path per amplifier and runs until terminated.
#include "sim/amp_simulator.h"
#include "sim/signal_watcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <memory>
#include <vector>

namespace {

int intOption(const QCommandLineParser& parser, const QString& name, int min, bool* ok) {
    const int value = parser.value(name).toInt(ok);
    *ok = *ok && value >= min;
    return value;
}

} // namespace

int main(int argc, char* argv[]) {
    // Before QCoreApplication, so no thread Qt starts can take the termination signals.
    const bool blocked = tarvex::sim::SignalWatcher::blockTerminationSignals();

    QCoreApplication app(argc, argv);
    tarvex::sim::SignalWatcher watcher;
    QCoreApplication::setApplicationName(QStringLiteral("tarvex-ampsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated amplifiers on pseudo-terminals. Prints each device path."));
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
        {QStringLiteral("baud"), QStringLiteral("Pace output at this baud rate; 0 for none."),
         QStringLiteral("N"), QStringLiteral("0")},
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
    options.baud = intOption(parser, QStringLiteral("baud"), 0, &ok);
    all = all && ok;
    QTextStream err(stderr);
    if (!all) {
        err << "tarvex-ampsim: --count must be at least 1, other numbers 0 or more\n";
        return 2;
    }

    const QString link = parser.value(QStringLiteral("link"));
    std::vector<std::unique_ptr<tarvex::sim::AmpSimulator>> amps;
    QTextStream out(stdout);
    for (int i = 0; i < count; ++i) {
        auto amp = std::make_unique<tarvex::sim::AmpSimulator>();
        options.linkPath = link.isEmpty() || count == 1 ? link : link + QString::number(i);
        if (!amp->start(options)) {
            err << "tarvex-ampsim: " << amp->errorString() << '\n';
            return 1; // the simulators already started remove their links as they go
        }
        out << amp->devicePath() << '\n';
        amps.push_back(std::move(amp));
    }
    out.flush();

    if (!blocked || !watcher.isValid())
        err << "tarvex-ampsim: cannot watch SIGTERM/SIGINT; links stay behind when killed\n";
    QObject::connect(&watcher, &tarvex::sim::SignalWatcher::terminationRequested, &app,
                     [] { QCoreApplication::quit(); });
    const int rc = app.exec();
    amps.clear(); // closes each port and removes its link
    return rc;
}
