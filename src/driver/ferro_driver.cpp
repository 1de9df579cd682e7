#include "ferro_driver.h"

#include "core/guard.h"

#include "core/property_bag.h"
#include "wire_format.h"


namespace tarvex {

namespace {

const QString kDefaultSettings = QStringLiteral("4800,n,8,1");
const QString kDefaultName = QStringLiteral("Unnamed");

} // namespace

FerroDriver::FerroDriver(DriverEnvironment env, QObject* parent)
    : QObject(parent), mEnv(std::move(env)) {
    SetDefaults();
}

FerroDriver::~FerroDriver() {
    mKeeper.reset();
    if (mCom)
        guarded(lcDriver(), "start-up step", [&] { mCom->setPortOpen(false); });
}

void FerroDriver::SetDefaults() {
    mAmpType = 1;
    mAmpPort = 1;
    mAmpSettings = kDefaultSettings;
    mDeviceName = kDefaultName;
}

QString FerroDriver::Description() const {
    return QStringLiteral("Ferro (") + mDeviceName + QStringLiteral(") on Com") +
           wire::signedDecimal(mAmpPort) + QStringLiteral(" @ ") + mAmpSettings;
}

void FerroDriver::WriteProps(PropertyBag& pb) {
    pb.WriteProperty(QStringLiteral("AmpType"), mAmpType, std::int16_t{1});
    pb.WriteProperty(QStringLiteral("AmpPort"), mAmpPort, std::int16_t{1});
    pb.WriteProperty(QStringLiteral("AmpSettings"), mAmpSettings, kDefaultSettings);
    pb.WriteProperty(QStringLiteral("DeviceName"), mDeviceName, kDefaultName);
}

void FerroDriver::ReadProps(PropertyBag& pb) {
    mAmpType = pb.ReadProperty(QStringLiteral("AmpType"), std::int16_t{1}).toInteger();
    mAmpPort = pb.ReadProperty(QStringLiteral("AmpPort"), std::int16_t{1}).toInteger();
    mAmpSettings = pb.ReadProperty(QStringLiteral("AmpSettings"), kDefaultSettings).toString();
    mDeviceName = pb.ReadProperty(QStringLiteral("DeviceName"), kDefaultName).toString();
}

void FerroDriver::EditProperties() {
    if (!mEnv.editSettings)
        return;
    DriverSettingsText text{mDeviceName, wire::signedDecimal(mAmpPort), mAmpSettings};
    if (!mEnv.editSettings(text))
        return;
    mAmpSettings = text.settings;
    // A port text beyond 16 bits keeps the port that was set.
    if (auto port = wire::toInt16(wire::leadingNumber(text.port)))
        mAmpPort = *port;
    mDeviceName = text.name;
}

void FerroDriver::Initialize(const HubPtr& theHub, std::int16_t theIndex) {
    mHub = theHub;
    mIndex = theIndex;
    mLinkProblem.clear();
    mLink = amp::Link::Down;
    mAwaitedBand = 0;
    if (mEnv.makeLink)
        mCom = mEnv.makeLink();
    if (mCom) {
        connect(mCom.get(), &SerialLink::OnComm, this, &FerroDriver::mCom_OnComm);
        mKeeper = std::make_unique<LinkKeeper>(*mCom, mEnv.timings.retry);
        connect(mKeeper.get(), &LinkKeeper::down, this, &FerroDriver::mKeeper_down);
        connect(mKeeper.get(), &LinkKeeper::up, this, &FerroDriver::mKeeper_up);
    }
    if (mCom) {
        connect(mCom.get(), &SerialLink::linkUp, this, &FerroDriver::mCom_linkUp);
        connect(mCom.get(), &SerialLink::outputDrained, this, [this] {
            guarded(lcDriver(), "command", [&] { pumpCommands(); });
        });
    }
    mBandDeadline.setSingleShot(true);
    mBandDeadline.setInterval(mEnv.timings.confirmWithin);
    connect(&mBandDeadline, &QTimer::timeout, this, &FerroDriver::mBandDeadline_timeout,
            Qt::UniqueConnection);
    mSilence = std::make_unique<SilenceWatch>(mEnv.timings.pollAfter, mEnv.timings.giveUpAfter);
    connect(mSilence.get(), &SilenceWatch::poll, this, &FerroDriver::mSilence_poll);
    connect(mSilence.get(), &SilenceWatch::silent, this, &FerroDriver::mSilence_silent);
    connect(mSilence.get(), &SilenceWatch::answered, this, &FerroDriver::mSilence_answered);

    // From here every step is tried on its own. A step that the link refuses records why, so
    // the message line can tell the user.
    auto linkStep = [&](auto&& op) {
        guarded(lcDriver(), "start-up step", [&] {
            if (!mCom)
                throw SerialError(tr("no serial service"));
            try {
                op();
            } catch (const SerialError& e) {
                if (mAmpPort != 0 && mLinkProblem.isEmpty())
                    mLinkProblem = e.reason();
                throw;
            }
        });
    };
    bool portAccepted = false;
    linkStep([&] {
        mCom->setCommPort(mAmpPort);
        portAccepted = true;
    });
    if (!portAccepted)
        mAmpPort = 0; // a refused port number: this run never writes to the port
    linkStep([&] { mCom->setSettings(mAmpSettings); });
    linkStep([&] { mCom->setInputMode(0); });
    guarded(lcDriver(), "start-up step", [&] { CreateTraceItems(); });
    if (mAmpPort != 0) {
        // A port that will not open is reported through mKeeper_down and tried again.
        linkStep([&] { mKeeper->open(); });
        linkStep([&] { mCom->setRThreshold(1); });
    }
    // The port's linkUp has made the link silent by now, or will once a network link connects;
    // the amplifier's first answer makes it up.
    guarded(lcDriver(), "start-up step", [&] { CreateItems(); });
    if (!mLinkProblem.isEmpty())
        showLinkProblem(mLinkProblem);
    watchSilence();
}

void FerroDriver::Terminate() {
    mKeeper.reset(); // no more attempts to reopen
    mSilence.reset();
    mBandDeadline.stop();
    mAwaitedBand = 0;
    mOutgoing.clear();
    if (mCom) {
        mCom->disconnect(this);
        guarded(lcDriver(), "start-up step", [&] { mCom->setPortOpen(false); });
        mCom.reset();
    }
    ReleaseItems();
    mHub.reset();
}

} // namespace tarvex
