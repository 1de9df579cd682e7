// The serial settings text ("4800,n,8,1") fed arbitrary text. A text that parses prints in
// canonical form, and that form parses to the same settings.
#include "fuzz_check.h"

#include "driver/serial_settings.h"

#include <cstddef>
#include <cstdint>

using namespace tarvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto parsed = SerialSettings::parse(text);
    if (!parsed)
        return 0;
    TARVEX_FUZZ_CHECK(parsed->baud > 0, "a positive baud rate");
    TARVEX_FUZZ_CHECK(parsed->dataBits >= 5 && parsed->dataBits <= 8, "5 to 8 data bits");
    const QString printed = parsed->toString();
    const auto reparsed = SerialSettings::parse(printed);
    TARVEX_FUZZ_CHECK(reparsed.has_value(), "the canonical text parses");
    TARVEX_FUZZ_CHECK(*reparsed == *parsed, "the canonical text means the same settings");
    TARVEX_FUZZ_CHECK(reparsed->toString() == printed, "the canonical text is stable");
    return 0;
}
