// The driver's receive path fed arbitrary bytes: through the serial link in chunks of varying
// size, and through the DebugFromUnit item, which takes any text the user types.
//
// Input layout: the first byte's low three bits say how many chunk-size bytes follow (1 to 8);
// those bytes are the sizes (1 to 256) of the chunks the rest of the input arrives in, used in
// turn. Bit 3 sends the chunks through DebugFromUnit instead of the link, bit 4 turns tracing on.
// Each input takes one road: both end in the same dispatcher, and running every input down both
// (traced) cost four line readings per line.
//
// One driver on one hub serves every input: building them (27 items, their connections, the
// startup commands) took about half a millisecond, more than most inputs take to read. Instead
// every input ends by putting back what it can have changed, and then checks that the driver is
// exactly as a fresh Initialize left it: each item's value, previous value and data-type record
// as recorded then, no partial line waiting, no calibration, the port open and nothing written.
// (The rest of the driver, its settings and the link's, changes only in Initialize and the
// settings dialog.) That check fails, with the input that is to blame, rather than let
// leftovers reach the next input; so every input meets the driver a fresh one would, and
// replayed alone does the same. Ending (not starting) with the reset also frees what the input
// allocated, which libFuzzer's leak heuristic counts per input.
#include "fuzz_check.h"

#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

using namespace tarvex;

namespace {

// Whether two values are the same value of the same type, not merely equal.
bool identical(const Variant& a, const Variant& b) {
    return a.type() == b.type() && (a.isEmpty() || a.isNull() || a.equals(b).value_or(false));
}

struct FreshItem {
    ItemPtr item;
    ItemInfoPtr info;
    Variant value;
    Variant lastValue;
};

class Rig {
public:
    Rig() {
        DriverEnvironment env;
        env.makeLink = [this] {
            auto l = std::make_unique<MemorySerialLink>();
            mLink = l.get();
            return l;
        };
        mHub = Hub::create();
        mDriver = std::make_unique<FerroDriver>(env);
        mDriver->Initialize(mHub, 0);
        TARVEX_FUZZ_CHECK(mLink && mLink->portOpen(), "the in-memory port opens");
        mLink->clearWritten();
        mLink->clearCalls();
        for (const ItemPtr& it : mHub->GetItemCollection())
            mFresh.push_back({it, it->Info(), it->Value(), it->LastValue()});
        // The trace mode goes back first, so that no command sent while the others are put
        // back is traced into an item already restored.
        std::stable_partition(mFresh.begin(), mFresh.end(),
                              [&](const FreshItem& f) { return f.item == item("0TraceMode"); });
        // Changes are watched rather than searched for: comparing every item after every input
        // cost more than most inputs. An item's value and record change only through the calls
        // that announce it, so an item never announced is as fresh as it was.
        for (std::size_t i = 0; i < mFresh.size(); ++i)
            mIndex.emplace(mFresh[i].item.get(), i);
        mTouched.assign(mFresh.size(), false);
        auto touch = [this](const ItemPtr& it) {
            if (const auto found = mIndex.find(it.get()); found != mIndex.end())
                mTouched[found->second] = true;
        };
        QObject::connect(mHub.get(), &Hub::ItemChangedValue, touch);
        QObject::connect(mHub.get(), &Hub::ItemChangedInfo, touch);
        QObject::connect(mHub.get(), &Hub::NewItem, [this] { mItemAdded = true; });
        mUntyped->Metrics = kUntypedCode;
        traceMode = item("0TraceMode");
        ig = item("0ig");
        debugFromUnit = item("0DebugFromUnit");
    }

    MemorySerialLink& link() { return *mLink; }
    ItemPtr item(const char* name) const {
        const ItemPtr it = mHub->GetItem(QString::fromLatin1(name));
        TARVEX_FUZZ_CHECK(it != nullptr, "the driver publishes the items the target uses");
        return it;
    }

    ItemPtr traceMode, ig, debugFromUnit;

    // Undoes what an input can have changed, then checks that nothing else was.
    void reset() {
        if (anyCalibration())
            mLink->receive(QStringLiteral("B79D = 0\r\nB799 = 0\r\nB79B = 0\r\n"
                                          "B791 = 0\r\nB7A1 = 0\r\n"));
        for (std::size_t i = 0; i < mFresh.size(); ++i) {
            const FreshItem& f = mFresh[i];
            if (mTouched[i] && (!identical(f.item->Value(), f.value) ||
                                !identical(f.item->LastValue(), f.lastValue)))
                restore(f);
        }
        mLink->clearWritten();
        mLink->clearCalls();

        TARVEX_FUZZ_CHECK(!anyCalibration() && mDriver->pendingInput() == 0 &&
                              mLink->pending().isEmpty() && mLink->portOpen(),
                          "the driver is back as Initialize left it");
        TARVEX_FUZZ_CHECK(!mItemAdded, "the driver is back as Initialize left it");
        for (std::size_t i = 0; i < mFresh.size(); ++i) {
            const FreshItem& f = mFresh[i];
            TARVEX_FUZZ_CHECK(!mTouched[i] || (f.item->Info() == f.info &&
                                               identical(f.item->Value(), f.value) &&
                                               identical(f.item->LastValue(), f.lastValue)),
                              "the driver is back as Initialize left it");
        }
        std::fill(mTouched.begin(), mTouched.end(), false);
    }

private:
    // A data-type code that is none of the converting ones: an item stores what it is given.
    static constexpr std::int32_t kUntypedCode = 2;

    bool anyCalibration() const {
        for (int slot = 0; slot < FerroDriver::kCalCount; ++slot) {
            if (mDriver->calibration(slot) != 0)
                return true;
        }
        return false;
    }

    // A typed item never becomes Empty again, so its fresh state (the first value assigned,
    // over Empty) is rebuilt with its type lifted for a moment: Empty (by way of a value unequal
    // to it, as a value equal to Empty would not change), then its type and first value back.
    // The driver's handlers run as they would for any assignment; what they send is discarded
    // by reset().
    void restore(const FreshItem& f) {
        f.item->setInfo(mUntyped);
        if (f.item->Value().equals(Variant()).value_or(true))
            f.item->setValue(std::int16_t{1});
        f.item->setValue(Variant());
        f.item->setInfo(f.info);
        f.item->setValue(f.value);
    }

    MemorySerialLink* mLink = nullptr;
    bool mItemAdded = false;
    HubPtr mHub;
    std::unique_ptr<FerroDriver> mDriver;
    std::vector<FreshItem> mFresh;
    std::unordered_map<const Item*, std::size_t> mIndex;
    std::vector<bool> mTouched; // announced since the last reset
    ItemInfoPtr mUntyped = std::make_shared<ItemInfo>();
};

Rig* gRig = nullptr;

// The amplifier's lines never become commands, except the two answers to its power-on notice.
void checkOnlyPowerOnAnswers(MemorySerialLink& link) {
    for (const QStringView l : QStringView(link.written()).tokenize(u'\r', Qt::SkipEmptyParts))
        TARVEX_FUZZ_CHECK(l == u"AC ON" || l == u"OPER OFF", "a report was echoed as a command");
    link.clearWritten();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    static Rig rig;
    gRig = &rig;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::size_t sizeBytes = data[0] % 8 + 1;
    if (size < 1 + sizeBytes)
        return 0;
    std::size_t sizes[8];
    for (std::size_t i = 0; i < sizeBytes; ++i)
        sizes[i] = std::size_t{data[1 + i]} + 1;
    const char* body = reinterpret_cast<const char*>(data + 1 + sizeBytes);
    const std::size_t bodySize = size - 1 - sizeBytes;

    Rig& rig = *gRig;
    MemorySerialLink& link = rig.link();
    const bool viaDebugItem = (data[0] & 0x08) != 0;
    if ((data[0] & 0x10) != 0)
        rig.traceMode->setValue(std::int16_t{3});

    std::size_t pos = 0;
    for (std::size_t k = 0; pos < bodySize; ++k) {
        const std::size_t n = std::min(sizes[k % sizeBytes], bodySize - pos);
        if (viaDebugItem) {
            // What the user types: read as UTF-8, so that any character can occur.
            rig.debugFromUnit->setValue(QString::fromUtf8(body + pos, static_cast<qsizetype>(n)));
        } else {
            // As the port delivers it.
            link.receive(QString::fromLatin1(body + pos, static_cast<qsizetype>(n)));
        }
        pos += n;
    }
    checkOnlyPowerOnAnswers(link);

    // Whatever came before, the next whole lines are read. (A meter report: it sends nothing,
    // so putting it back costs one assignment.)
    link.receive(QStringLiteral("\r\nIG = 5\r\n"));
    TARVEX_FUZZ_CHECK(rig.ig->Value().toInteger() == 5, "a line after arbitrary input is read");
    link.receive(QStringLiteral("IG = 6\r\n"));
    TARVEX_FUZZ_CHECK(rig.ig->Value().toInteger() == 6,
                      "a second line after arbitrary input is read");
    checkOnlyPowerOnAnswers(link);

    rig.reset();
    return 0;
}
