// The driver's receive path fed arbitrary bytes: through the serial link in chunks of varying
// size, and through the DebugFromUnit item, which takes any text the user types.
//
// Input layout: the first byte says how many chunk-size bytes follow (1 to 8); those bytes are
// the sizes (1 to 256) of the chunks the rest of the input arrives in, used in turn.
#include "fuzz_check.h"

#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace tarvex;

namespace {

// The amplifier's lines never become commands, except the two answers to its power-on notice.
void checkOnlyPowerOnAnswers(MemorySerialLink& link) {
    const QStringList lines = link.written().split(u'\r', Qt::SkipEmptyParts);
    for (const QString& l : lines)
        TARVEX_FUZZ_CHECK(l == u"AC ON" || l == u"OPER OFF", "a report was echoed as a command");
    link.clearWritten();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::size_t sizeBytes = data[0] % 8 + 1;
    if (size < 1 + sizeBytes)
        return 0;
    std::vector<std::size_t> sizes;
    for (std::size_t i = 0; i < sizeBytes; ++i)
        sizes.push_back(std::size_t{data[1 + i]} + 1);
    const char* body = reinterpret_cast<const char*>(data + 1 + sizeBytes);
    const std::size_t bodySize = size - 1 - sizeBytes;

    MemorySerialLink* link = nullptr;
    DriverEnvironment env;
    env.makeLink = [&link] {
        auto l = std::make_unique<MemorySerialLink>();
        link = l.get();
        return l;
    };
    HubPtr hub = Hub::create();
    FerroDriver driver(env);
    driver.Initialize(hub, 0);
    TARVEX_FUZZ_CHECK(link && link->portOpen(), "the in-memory port opens");
    link->clearWritten();
    hub->GetItem(QStringLiteral("0TraceMode"))->setValue(std::int16_t{3});

    // Through the link, as the port delivers it.
    std::size_t pos = 0;
    for (std::size_t k = 0; pos < bodySize; ++k) {
        const std::size_t n = std::min(sizes[k % sizes.size()], bodySize - pos);
        link->receive(QString::fromLatin1(body + pos, static_cast<qsizetype>(n)));
        pos += n;
    }
    checkOnlyPowerOnAnswers(*link);

    // Whatever came before, the next whole lines are read.
    link->receive(QStringLiteral("\r\nBAND = 5\r\n"));
    TARVEX_FUZZ_CHECK(hub->GetItem(QStringLiteral("0band"))->Value().toInteger() == 5,
                      "a line after arbitrary input is read");
    link->receive(QStringLiteral("BAND = 6\r\n"));
    TARVEX_FUZZ_CHECK(hub->GetItem(QStringLiteral("0band"))->Value().toInteger() == 6,
                      "a second line after arbitrary input is read");

    // Through DebugFromUnit, one chunk per value, read as UTF-8 so that any character can occur.
    const ItemPtr debug = hub->GetItem(QStringLiteral("0DebugFromUnit"));
    pos = 0;
    for (std::size_t k = 0; pos < bodySize; ++k) {
        const std::size_t n = std::min(sizes[k % sizes.size()], bodySize - pos);
        debug->setValue(QString::fromUtf8(body + pos, static_cast<qsizetype>(n)));
        pos += n;
    }
    checkOnlyPowerOnAnswers(*link);

    driver.Terminate();
    return 0;
}
