#pragma once

#include "../support/printers.h"
#include "core/data_file.h"
#include "core/module.h"
#include "core/property_bag.h"
#include "ui/frm_main.h"
#include "ui/panel_registry.h"
#include "ui/twips.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <optional>

inline void PrintTo(const QPoint& p, std::ostream* os) {
    *os << '(' << p.x() << ", " << p.y() << ')';
}

namespace tarvex::test {

// What the stand-in modules were told, in order: "Initialize Tarvex.MeterControl 0", ...
using CallLogPtr = std::shared_ptr<QStringList>;

// Stand-in for a panel: a fixed-size widget that records its module calls.
class FakePanel : public QWidget, public Module {
public:
    FakePanel(QWidget* parent, QString className, QSize twips, CallLogPtr log)
        : QWidget(parent), mClassName(std::move(className)), mLog(std::move(log)) {
        setFixedSize(Twips::toPixels(twips, this));
    }
    void Initialize(const HubPtr&, std::int16_t theIndex) override {
        index = theIndex;
        *mLog << QStringLiteral("Initialize %1 %2").arg(mClassName).arg(theIndex);
    }
    void Terminate() override {
        *mLog << QStringLiteral("Terminate %1 %2 %3").arg(mClassName, objectName()).arg(index);
    }
    void EditProperties() override {}
    QString Description() const override { return mClassName; }
    void WriteProps(PropertyBag&) override {}
    void ReadProps(PropertyBag&) override {}

    std::int16_t index = -1;

private:
    QString mClassName;
    CallLogPtr mLog;
};

// Stand-in for an amplifier driver; its "settings dialog" renames it when told to.
class FakeDriver : public Module {
public:
    explicit FakeDriver(CallLogPtr log = std::make_shared<QStringList>(), QString name = {}) : name(std::move(name)), mLog(std::move(log)) {}
    void Initialize(const HubPtr&, std::int16_t theIndex) override {
        *mLog << QStringLiteral("Initialize driver %1 %2").arg(name).arg(theIndex);
    }
    void Terminate() override { *mLog << QStringLiteral("Terminate driver %1").arg(name); }
    void EditProperties() override { name = renameTo.isEmpty() ? name : renameTo; }
    QString Description() const override { return name; }
    void WriteProps(PropertyBag& pb) override { pb.WriteProperty("DeviceName", name); }
    void ReadProps(PropertyBag& pb) override {
        name = pb.ReadProperty("DeviceName", QString()).toString();
    }
    bool isAmplifierDriver() const override { return true; }

    QString name, renameTo;

private:
    CallLogPtr mLog;
};

// Panel sizes in twips: banner 2100x600, meter 3000x1500, tune 3000x1200, main 3300x2100.
inline PanelRegistry fakeRegistry(const CallLogPtr& log, int mainHeight = 2100) {
    PanelRegistry registry;
    const std::pair<const char*, QSize> panels[] = {
        {PanelRegistry::kBannerControl, {2100, 600}},
        {PanelRegistry::kMeterControl, {3000, 1500}},
        {PanelRegistry::kTuneControl, {3000, 1200}},
        {PanelRegistry::kMainControl, {3300, mainHeight}},
    };
    for (const auto& [name, size] : panels) {
        const QString className = QLatin1String(name);
        registry.registerPanel(className, [=](QWidget* parent) {
            return new FakePanel(parent, className, size, log);
        });
    }
    return registry;
}

// Runs each test in its own working directory (frmMain reads and writes server.dat there) with
// empty per-user settings.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mDir.isValid());
        mPreviousDir = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(mDir.path()));
        QSettings(QStringLiteral("Tarvex"), QStringLiteral("Tarvex")).clear();
    }
    void TearDown() override {
        QSettings(QStringLiteral("Tarvex"), QStringLiteral("Tarvex")).clear();
        QDir::setCurrent(mPreviousDir);
    }

    // A window whose server.dat lists `amplifiers` stand-in drivers named amp1, amp2, ...
    std::unique_ptr<frmMain> makeWindow(int amplifiers, int mainHeight = 2100,
                                        std::optional<PanelRegistry> panels = {}) {
        PropertyBag bag;
        bag.WriteProperty(QStringLiteral("NumModules"), std::int32_t{amplifiers}, std::int32_t{0});
        for (int i = 1; i <= amplifiers; ++i) {
            PropertyBag module;
            module.WriteProperty(QStringLiteral("DeviceName"), QStringLiteral("amp%1").arg(i));
            bag.WriteProperty(QStringLiteral("Module%1").arg(i), module.Contents());
        }
        EXPECT_TRUE(data_file::writeRecord(QStringLiteral("server.dat"), bag.Contents(), nullptr));
        return std::make_unique<frmMain>([log = log] { return std::make_shared<FakeDriver>(log); },
                                         ServerObject::ListEditor{},
                                         panels ? *panels : fakeRegistry(log, mainHeight));
    }

    CallLogPtr log = std::make_shared<QStringList>();

private:
    QTemporaryDir mDir;
    QString mPreviousDir;
};

} // namespace tarvex::test
