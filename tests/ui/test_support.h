#pragma once

#include "core/module.h"
#include "core/property_bag.h"
#include "ui/frm_main.h"
#include "ui/panel_registry.h"
#include "ui/twips.h"

#include <QDir>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable failure messages for the Qt types the tests compare.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QPoint& p, std::ostream* os) {
    *os << '(' << p.x() << ", " << p.y() << ')';
}

namespace tarvex::test {

// What the stand-in modules were told, in order: "Initialize Tarvex.MeterControl 0", ...
struct CallLog {
    QStringList calls;
};
using CallLogPtr = std::shared_ptr<CallLog>;

// Stand-in for a panel: a fixed-size widget that records its module calls.
class FakePanel : public QWidget, public Module {
public:
    FakePanel(QWidget* parent, QString className, QSize twips, CallLogPtr log)
        : QWidget(parent), mClassName(std::move(className)), mLog(std::move(log)) {
        setFixedSize(Twips::toPixels(twips, this));
    }
    void Initialize(const HubPtr& theHub, std::int16_t theIndex) override {
        mHub = theHub;
        mIndex = theIndex;
        mLog->calls << QStringLiteral("Initialize %1 %2").arg(mClassName).arg(theIndex);
    }
    void Terminate() override {
        mLog->calls
            << QStringLiteral("Terminate %1 %2 %3").arg(mClassName, objectName()).arg(mIndex);
    }
    void EditProperties() override {}
    QString Description() const override { return mClassName; }
    void WriteProps(PropertyBag&) override {}
    void ReadProps(PropertyBag&) override {}

    std::int16_t index() const { return mIndex; }
    HubPtr hub() const { return mHub.lock(); }

private:
    QString mClassName;
    CallLogPtr mLog;
    std::int16_t mIndex = -1;
    std::weak_ptr<Hub> mHub;
};

// Stand-in for an amplifier driver.
class FakeDriver : public Module {
public:
    explicit FakeDriver(CallLogPtr log) : mLog(std::move(log)) {}
    void Initialize(const HubPtr&, std::int16_t theIndex) override {
        mLog->calls << QStringLiteral("Initialize driver %1 %2").arg(mName).arg(theIndex);
    }
    void Terminate() override { mLog->calls << QStringLiteral("Terminate driver %1").arg(mName); }
    void EditProperties() override {}
    QString Description() const override { return QStringLiteral("Fake amplifier"); }
    void WriteProps(PropertyBag& pb) override { pb.WriteProperty("DeviceName", mName); }
    void ReadProps(PropertyBag& pb) override {
        mName = pb.ReadProperty("DeviceName", QString()).toString();
    }
    bool isAmplifierDriver() const override { return true; }

private:
    CallLogPtr mLog;
    QString mName;
};

// Panel sizes in twips used by the layout tests.
inline constexpr QSize kBannerTwips(2100, 600);
inline constexpr QSize kMeterTwips(3000, 1500);
inline constexpr QSize kTuneTwips(3000, 1200);
inline constexpr QSize kMainTwips(3300, 2100);

PanelRegistry fakeRegistry(const CallLogPtr& log);

// Writes a server.dat in the current directory holding `count` saved amplifiers.
void writeServerFile(int count);

// Runs each test in its own working directory (frmMain reads and writes server.dat there) with
// empty per-user settings.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A window whose server loads `amplifiers` stand-in drivers.
    std::unique_ptr<frmMain> makeWindow(int amplifiers);
    // Same, with the stand-in registry replaced.
    std::unique_ptr<frmMain> makeWindow(int amplifiers, PanelRegistry panels);

    CallLogPtr log = std::make_shared<CallLog>();

private:
    QTemporaryDir mDir;
    QString mPreviousDir;
};

// Window geometry in twips, for readable expectations.
int widthTwips(const QWidget* w);
int clientHeightTwips(const frmMain& w);
QPoint posTwips(const QWidget* view);

} // namespace tarvex::test
