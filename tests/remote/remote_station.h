#pragma once

#include "remote_fixture.h"

#include "core/server_object.h"

#include <QTemporaryDir>

namespace tarvex::test {

// A server object running amplifiers on in-memory links; the test plays the amplifiers.
struct RemoteStation {
    explicit RemoteStation(int amplifiers) {
        env.makeLink = [this] {
            auto l = std::make_unique<MemorySerialLink>();
            links.push_back(l.get());
            return l;
        };
        ModuleList list;
        for (int i = 0; i < amplifiers; ++i)
            list.push_back(std::make_shared<FerroDriver>(env));
        EXPECT_TRUE(ServerObject::writeModuleList(dir.filePath("server.dat"), list, nullptr));
        server = std::make_unique<ServerObject>(
            ServerObject::Collaborators{[this] { return std::make_shared<FerroDriver>(env); }, {},
                                        {}},
            dir.filePath("server.dat"));
        start();
    }
    ~RemoteStation() { server->StopServer(); }
    void start() {
        links.clear();
        server->StartServer();
        for (MemorySerialLink* l : links)
            l->clearWritten();
    }
    // Lines from amplifier i, "|" between them.
    void say(int i, const QString& lines) {
        for (const QString& l : lines.split('|'))
            links[i]->receive(l + "\r\n");
    }
    // What amplifier i received since the last call, each command ended by ",".
    QString sent(int i) {
        QString w = links[i]->written();
        links[i]->clearWritten();
        return w.replace('\r', ',');
    }
    const HubPtr& hub() const { return server->hub(); }

    QTemporaryDir dir;
    DriverEnvironment env;
    std::vector<MemorySerialLink*> links;
    std::unique_ptr<ServerObject> server;
};

} // namespace tarvex::test
