// The amplifier server's protocol fed arbitrary client lines, over the items of a real driver on
// an in-memory link. Whatever a client sends, each reply is whole lines, and the items keep
// values in their ranges (a set only ever writes what the protocol allows).
#include "fuzz_check.h"

#include "core/hub.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"
#include "station/ampctl_interpreter.h"
#include "station/band_switch.h"
#include "station/peak_hold.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

using namespace tarvex;

namespace {

// The driver over an in-memory link, operating on 20 m, as a client would meet it.
struct Amp {
    HubPtr hub = Hub::create();
    MemorySerialLink* link = nullptr;
    std::unique_ptr<FerroDriver> driver;
    AmplifierItems items{hub, 0};
    PeakHold peak{2000, [] { return qint64{0}; }};
    std::unique_ptr<BandSwitch> bands;

    Amp() {
        DriverEnvironment env;
        env.makeLink = [this] {
            auto l = std::make_unique<MemorySerialLink>();
            link = l.get();
            return l;
        };
        driver = std::make_unique<FerroDriver>(env);
        driver->Initialize(hub, 0);
        link->receive(QStringLiteral("STATE = OPERATE\r\nBAND 5 SEGMENT 2 FREQUENCY 14175\r\n"
                                     "FWD = 1200 RFL = 30 INP = 40\r\n"));
        bands = std::make_unique<BandSwitch>(items);
    }
    ~Amp() { driver->Terminate(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_ampctl_lines";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv); // the driver's timers need one
    Amp amp;
    AmpctlInterpreter client(amp.items, amp.peak, *amp.bands);
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& line : input.split('\n')) {
        const AmpctlInterpreter::Reply reply = client.handle(line + '\n');
        TARVEX_FUZZ_CHECK(reply.text.isEmpty() || reply.text.endsWith('\n'), "whole reply lines");
        if (reply.close)
            break;
    }
    const int band = amp.items.integer(QStringLiteral("band"));
    TARVEX_FUZZ_CHECK(band >= 1 && band <= 9, "the band stays a band");
    // No event loop runs here: what the driver and its link left to be deleted later is
    // deleted now, or memory grows with every input.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
