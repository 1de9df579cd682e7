// A process that keeps recording: every 50 ms a new message, and on standard output its number
// and the time it was made. The durability test kills it and compares.
#include "fake_amplifier.h"

#include "history/history_recorder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const tarvex::HubPtr hub = tarvex::Hub::create();
    tarvex::test::FakeAmplifier amp(hub, 0, QStringLiteral("Child"));
    tarvex::HistoryRecorder recorder(QString::fromLocal8Bit(argv[1]), tarvex::systemHistoryClock());
    recorder.start();
    recorder.setHub(hub);
    int n = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        amp.message->setValue(QStringLiteral("tick %1").arg(++n));
        std::printf("%d %lld\n", n, static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
        std::fflush(stdout);
    });
    tick.start(50);
    return QCoreApplication::exec();
}
