// The amplifier server's protocol fed arbitrary client lines, over the items of a real driver on
// an in-memory link. Whatever a client sends, each reply is whole lines, and the items keep
// values in their ranges (a set only ever writes what the protocol allows).
//
// One driver serves every input, for speed, and every input starts from the same state, so that
// a finding reproduces from its input alone: after an input that changed an item the
// amplifier's reports are replayed, the client's interpreter and band switch are new each time,
// and every item is checked against the state the first input began from, so that nothing a
// client changed survives into the next.
#include "fuzz_check.h"

#include "core/hub.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"
#include "station/ampctl_interpreter.h"
#include "station/band_switch.h"
#include "station/peak_hold.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace tarvex;

namespace {

// Operating on 20 m, forward power below what counts as RF, so that every command goes through.
// A client can change the power state and the band, not what the meters read.
const QString kReports = QStringLiteral("STATE = OPERATE\r\nBAND 5 SEGMENT 2 FREQUENCY 14175\r\n");
const QString kMeters = QStringLiteral("FWD = 8 RFL = 1 INP = 1\r\n");

// The driver over an in-memory link, as a client meets it.
struct Amp {
    HubPtr hub = Hub::create();
    MemorySerialLink* link = nullptr;
    std::unique_ptr<FerroDriver> driver;
    AmplifierItems items{hub, 0};
    bool changed = true; // an item changed since the reports were last replayed
    std::vector<Variant> canonical;

    Amp() {
        DriverEnvironment env;
        env.makeLink = [this] {
            auto l = std::make_unique<MemorySerialLink>();
            link = l.get();
            return l;
        };
        driver = std::make_unique<FerroDriver>(env);
        driver->Initialize(hub, 0);
        link->receive(kMeters);
        restore();
        canonical = values();
        QObject::connect(hub.get(), &Hub::ItemChangedValue, [this] { changed = true; });
    }
    std::vector<Variant> values() const {
        std::vector<Variant> v;
        for (const ItemPtr& it : hub->GetItemCollection())
            v.push_back(it->Value());
        return v;
    }
    // What the amplifier says puts every item a client can change back where it was; after an
    // input that changed no item there is nothing to put back.
    void restore() {
        if (!changed)
            return;
        link->receive(kReports);
        link->clearWritten();
        link->clearCalls(); // the link's own record would grow with every input
        changed = false;
        const std::vector<Variant> now = values();
        TARVEX_FUZZ_CHECK(canonical.empty() || std::equal(canonical.begin(), canonical.end(),
                                                          now.begin(), now.end(), same),
                          "nothing a client changed survives the amplifier's reports");
    }
    static bool same(const Variant& a, const Variant& b) {
        return a.type() == b.type() && a.equals(b).value_or(a.isNull());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_ampctl_lines";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv); // the driver's timers need one
    static Amp amp;
    {
        static const PeakHold peak{2000, [] { return qint64{0}; }}; // only ever read
        BandSwitch bands(amp.items);
        AmpctlInterpreter client(amp.items, peak, bands);
        const auto* text = reinterpret_cast<const char*>(data);
        for (std::size_t start = 0; start <= size;) {
            const auto* end =
                static_cast<const char*>(std::memchr(text + start, '\n', size - start));
            const std::size_t length = end ? std::size_t(end - text) - start : size - start;
            const AmpctlInterpreter::Reply reply =
                client.handle(QByteArray::fromRawData(text + start, qsizetype(length)));
            TARVEX_FUZZ_CHECK(reply.text.isEmpty() || reply.text.endsWith('\n'),
                              "whole reply lines");
            if (reply.close)
                break;
            start += length + 1;
        }
        const int band = amp.items.integer(QStringLiteral("band"));
        TARVEX_FUZZ_CHECK(band >= 1 && band <= 9, "the band stays a band");
    }
    // Here, not before the next input, so that a failure is blamed on the input that caused it.
    amp.restore();
    // No event loop runs here: what the driver and its link left to be deleted later is
    // deleted now, or memory grows with every input.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
