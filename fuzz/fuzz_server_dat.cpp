// The amplifier list loader fed an arbitrary server.dat. Loading must never crash; whatever
// list it yields must save and load back as the same list.
#include "fuzz_check.h"

#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace tarvex;

namespace {

QTemporaryDir* gDir = nullptr;

ServerObject::Collaborators drivers() {
    ServerObject::Collaborators c;
    c.driverFactory = [] {
        DriverEnvironment env;
        env.makeLink = [] { return std::make_unique<MemorySerialLink>(); };
        return std::make_shared<FerroDriver>(env);
    };
    return c;
}

QStringList describe(const ModuleList& modules) {
    QStringList out;
    for (const ModulePtr& m : modules)
        out << (m ? m->Description() : QStringLiteral("(none)"));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    gDir = &dir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = gDir->filePath(QStringLiteral("server.dat"));
    {
        QFile f(path);
        TARVEX_FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "temp file opens");
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    ServerObject server(drivers(), path);
    server.StartServer();
    TARVEX_FUZZ_CHECK(server.modules() != nullptr, "a started server has a list");
    const QStringList loaded = describe(*server.modules());

    const QString copy = gDir->filePath(QStringLiteral("copy.dat"));
    QString error;
    TARVEX_FUZZ_CHECK(ServerObject::writeModuleList(copy, *server.modules(), &error),
                      "the loaded list saves");
    server.StopServer();

    ServerObject reloaded(drivers(), copy);
    reloaded.StartServer();
    TARVEX_FUZZ_CHECK(describe(*reloaded.modules()) == loaded, "a saved list loads back the same");
    reloaded.StopServer();
    return 0;
}
