// The amplifier list loader fed an arbitrary server.dat image. Loading must never crash and
// never yield more modules than the image has room for; whatever list it yields must save and
// load back as the same list.
//
// The image is decoded from memory by the loader's own functions (the file functions are thin
// wrappers around them): writing files and starting a server per input took some forty times
// the CPU of the decoding fuzzed here, and waited on the disk besides. Nothing outlives an
// input but the QCoreApplication.
#include "fuzz_check.h"

#include "core/data_file.h"
#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

using namespace tarvex;

namespace {

ModulePtr makeDriver() {
    DriverEnvironment env;
    env.makeLink = [] { return std::make_unique<MemorySerialLink>(); };
    return std::make_shared<FerroDriver>(env);
}

QStringList describe(const ModuleList& modules) {
    QStringList out;
    for (const ModulePtr& m : modules)
        out << (m ? m->Description() : QStringLiteral("(none)"));
    return out;
}

ModuleList load(const QByteArray& image) {
    const auto record = data_file::decodeRecord(image);
    return record ? ServerObject::readModuleList(*record, makeDriver) : ModuleList{};
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray image(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ModuleList modules = load(image);
    // Each module needs an entry of its own: its name ("Module1", 2 + 7 bytes at the least), a
    // tag and a block length.
    TARVEX_FUZZ_CHECK(modules.size() <= size / 14, "no more modules than the image has room for");
    const QStringList loaded = describe(modules);

    QStringList moduleErrors;
    const QByteArray saved =
        data_file::encodeRecord(ServerObject::moduleListRecord(modules, &moduleErrors));
    TARVEX_FUZZ_CHECK(moduleErrors.isEmpty(), "the loaded list saves");
    TARVEX_FUZZ_CHECK(describe(load(saved)) == loaded, "a saved list loads back the same");
    return 0;
}
