#pragma once

#include "rig_client.h"
#include "station_options.h"

#include "core/hub.h"
#include "core/server_object.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <vector>

namespace tarvex {

class AmpctlServer;
class BandFollower;
class BandSwitch;
class RigItems;
class RigNotice;

// The links to the rest of the station: a rig link whose frequency the amplifiers follow, and
// one amplifier server per amplifier. Follows the server object through its restarts (a new
// hub, perhaps another amplifier list) and meets the amplifiers only through items.
class StationLinks : public QObject {
    Q_OBJECT

public:
    StationLinks(ServerObject& server, RigClientFactory rigFactory, QObject* parent = nullptr);
    ~StationLinks() override;

    // Starts, restarts or stops the services as the options say.
    void apply(const StationOptions& options);
    const StationOptions& options() const { return mOptions; }

    // For the user: the rig link, each amplifier server and any port that could not be had.
    QString status() const;
    // Ports that could not be listened on at the last start.
    const QStringList& problems() const { return mProblems; }
    const RigClient* rig() const { return mRig.get(); }
    // The same, for the guard, which asks the radio to stop transmitting.
    RigClient* rigClient() const { return mRig.get(); }
    // One line for the main window on the rig link's loss and return; empty when all is well.
    QString notice() const;

signals:
    void statusChanged();
    void noticeChanged();

private:
    struct Amplifier;

    void attach();
    void detach();

    QPointer<ServerObject> mServer; // the window deletes it when it closes
    RigClientFactory mRigFactory;
    StationOptions mOptions;
    std::unique_ptr<RigClient> mRig;
    std::unique_ptr<RigNotice> mNotice; // before mRig goes
    HubPtr mHub;
    std::unique_ptr<RigItems> mRigItems;
    std::vector<std::unique_ptr<Amplifier>> mAmplifiers;
    QStringList mProblems;
};

} // namespace tarvex
