// The PropertyBag block decoder fed arbitrary bytes. Whatever it decodes must survive being
// written out and read back: the second decode yields the same entries, and writing those out
// gives the same block again.
#include "fuzz_check.h"

#include "core/property_bag.h"

#include <cstddef>
#include <cstdint>

using namespace tarvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    PropertyBag bag;
    bag.setContents(input);

    const QByteArray encoded = bag.Contents();
    PropertyBag again;
    TARVEX_FUZZ_CHECK(again.setContents(encoded), "a block we wrote reads back undamaged");
    TARVEX_FUZZ_CHECK(again.count() == bag.count(), "every decoded entry is written out");
    TARVEX_FUZZ_CHECK(again.Contents() == encoded, "decode and re-encode is stable");
    return 0;
}
