#pragma once

#include "core/amplifier_vocabulary.h"
#include "core/hub.h"
#include "core/module.h"
#include "command_queue.h"
#include "link_keeper.h"
#include "serial_link.h"
#include "silence_watch.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace tarvex {

// The settings a user edits, as the dialog shows them.
struct DriverSettingsText {
    QString name;
    QString port; // signed decimal, as the amplifier's own number forms: " 3"
    QString settings;
};

// How long a driver waits before it acts on its own; tests shorten them.
struct DriverTimings {
    std::chrono::milliseconds retry{2000};       // between attempts to reopen the port
    std::chrono::milliseconds pollAfter{15000};  // quiet, port open, before asking for status
    std::chrono::milliseconds giveUpAfter{5000}; // then, before telling the user
    std::chrono::milliseconds confirmWithin{3000}; // for the band report after "BAND n"
};

// What every driver instance shares, owned by the application.
struct DriverEnvironment {
    // Makes the serial link of one instance.
    std::function<std::unique_ptr<SerialLink>()> makeLink;
    // The one settings editor of all instances (the ui's dialog); without it EditProperties
    // does nothing. It edits the texts in place and returns whether they are to be kept.
    std::function<bool(DriverSettingsText&)> editSettings;
    DriverTimings timings;
};

// Serves one amplifier on one serial port: publishes its state as items, turns the lines the
// amplifier sends into item values and item changes into command lines.
class FerroDriver : public QObject, public Module {
    Q_OBJECT

public:
    explicit FerroDriver(DriverEnvironment env, QObject* parent = nullptr);
    ~FerroDriver() override;

    // Module
    void Initialize(const HubPtr& theHub, std::int16_t theIndex) override;
    void Terminate() override;
    void EditProperties() override;
    QString Description() const override;
    void WriteProps(PropertyBag& pb) override;
    void ReadProps(PropertyBag& pb) override;
    bool isAmplifierDriver() const override { return true; }

    QString GetName() const { return mDeviceName; }

    // Settings.
    std::int16_t ampType() const { return mAmpType; }
    std::int16_t ampPort() const { return mAmpPort; }
    QString ampSettings() const { return mAmpSettings; }
    void setAmpType(std::int16_t v) { mAmpType = v; }
    void setAmpPort(std::int16_t v) { mAmpPort = v; }
    void setAmpSettings(const QString& v) { mAmpSettings = v; }
    void setDeviceName(const QString& v) { mDeviceName = v; }

    // The running link, or null while not initialized.
    SerialLink* link() const { return mCom.get(); }
    std::int16_t calibration(int slot) const { return mCal.at(static_cast<std::size_t>(slot)); }
    // Received characters still waiting for their line end.
    qsizetype pendingInput() const { return mRxBuffer.size(); }

    // The five calibration slots and their memory locations.
    enum CalSlot { kCalFwd, kCalRfl, kCalInp, kCalGrid, kCalSpare, kCalCount };

private:
    void SetDefaults();

    // Items.
    ItemPtr MakeItem(const QString& baseName, std::int32_t low, std::int32_t high,
                     std::int32_t metrics, std::int32_t security, const QString& extended,
                     const Variant& initial);
    void CreateTraceItems();
    void CreateItems();
    void ReleaseItems();
    void listen(const ItemPtr& item, void (FerroDriver::*handler)());

    // Receive path.
    void mCom_OnComm();
    void ReceiveChars();
    void DispatchLine(const QString& line);
    void OnAmpMsg(const QString& msg);
    void OnAmpRM(QStringView lastFive);
    void OnAmpDM(const QString& key, const QString& value);
    void OnAmpMsg2(QStringView key, QStringView value);
    void applyReport(QStringView key, QStringView value, double n);
    // A reported number into its item; one that does not fit leaves the item as it was.
    void assignNumber(const ItemPtr& item, QStringView key, double n);
    void mitDebugFromUnit_ValueChange();
    void traceReceived(const QString& line);

    // Link and silence: the message line and the meters while the amplifier cannot be heard.
    void showLinkProblem(const QString& reason);
    void mKeeper_down(const QString& reason);
    void mKeeper_up();
    void watchSilence();
    void mSilence_poll();
    void mSilence_silent();
    void mSilence_answered();
    void mCom_linkUp();
    void zeroMeters();
    // What the amplifier can be reached by, and what it last said of its power, as items.
    void setLink(amp::Link link);
    void setState(amp::State state);
    void mBandDeadline_timeout();

    // Command path. Each command is traced and written when it leaves for the line; while the
    // line is busy it waits in mOutgoing under the control it sets (empty: none), where a newer
    // command for that control replaces it.
    void SendCommand(const QString& cmd);
    void SendCommand(const QStringList& lines, const QString& control,
                     CommandQueue::Urgency urgency = CommandQueue::Urgency::Normal);
    void traceCommand(const QString& cmd);
    void pumpCommands();
    void SendValueCommand(const QString& keyword, const ItemPtr& item);
    void SendStartupCommands();
    void i_ac_ValueChange();
    void i_oper_ValueChange();
    void i_hv_ValueChange();
    void i_trim_ValueChange();
    void i_band_ValueChange();
    void i_segment_ValueChange();
    void i_freq_ValueChange();
    void i_tune_ValueChange();
    void i_load_ValueChange();
    void i_def_ValueChange();
    void i_ent_ValueChange();
    void mitDebugToUnit_ValueChange();

    DriverEnvironment mEnv;

    // Persistent settings.
    std::int16_t mAmpType = 1;
    std::int16_t mAmpPort = 1;
    QString mAmpSettings;
    QString mDeviceName;

    // Run-time members.
    HubPtr mHub;
    std::int16_t mIndex = 0;
    std::unique_ptr<SerialLink> mCom;
    // After mCom, so that they go before the link they watch.
    std::unique_ptr<LinkKeeper> mKeeper;
    std::unique_ptr<SilenceWatch> mSilence;
    QString mRxBuffer;
    std::array<std::int16_t, kCalCount> mCal{};
    bool mInReport = false;
    QString mLinkProblem; // why the port is not working, for the message item
    amp::Link mLink = amp::Link::Down;
    int mAwaitedBand = 0; // asked for with "BAND n" and not yet reported
    CommandQueue mOutgoing;
    QTimer mBandDeadline;

    // Listened items.
    ItemPtr i_ac, i_oper, i_hv, i_band, i_segment, i_freq, i_tune, i_load, i_def, i_ent, i_trim;
    // Published items.
    ItemPtr i_message, i_warmup, i_fault, i_ver, i_ser, i_ig, i_ip, i_pfwd, i_prfl, i_pinp, i_name;
    // Published beside the panel items, set only by the driver (see amplifier_vocabulary.h).
    ItemPtr i_link, i_state, i_faulttext, i_reportedband, i_reportedfreq, i_reportedsegment,
        i_reportedtune, i_reportedload, i_reportedhv, i_reportedtrim;
    // Trace and debug items.
    ItemPtr mitTraceMode, mitTraceToUnit, mitTraceFromUnit, mitDebugToUnit, mitDebugFromUnit;
};

} // namespace tarvex
